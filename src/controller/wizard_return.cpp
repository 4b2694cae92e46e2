#include "controller/wizard_return.h"

#include "controller/install_rules.h"
#include "controller/status_strip.h"

namespace mapvale::controller {

namespace {

constexpr double kSmallCardGb = 1.25;

constexpr std::string_view kInsertCard = "\n메모리카드를 삽입/선택 해주세요.\n";
constexpr std::string_view kNoPda = "PDA 버전에서는 간편설치를 지원하지 않습니다.";
constexpr std::string_view kAlreadyNewest = "최신 버전이므로 설치가 필요없습니다.";
constexpr std::string_view kNoSmallTarno =
    "\nTARNO(고해상도)는 1G 간편설치를 \n\n지원하지 않습니다.";
constexpr std::string_view kNoSmallOrla = "\nORLA(V5.0)은 1G 간편설치를 \n\n지원하지 않습니다.";
constexpr std::string_view kNoCustom = "\n사용자설치는 간편설치로\n\n지원되지 않습니다.";
constexpr std::string_view kNoCameraOnly =
    "\n간편설치는 전체다운로드가 기본입니다.\n\n안전운행 데이터만 업데이트 하시고자 하는 경우는\n\n"
    "현재의 선택을 유지해서 진행해 주십시오";
constexpr std::string_view kNoRoom =
    "\n설치가능한 공간이 부족하여\n\n간편설치로 이동할 수 없습니다.\n";

}  // namespace

std::string_view WizardReturnRefusal(const DeviceEntry* device, const CardInfo* card,
                                     bool job_running) {
    if (device == nullptr) {
        return card == nullptr ? kInsertCard : std::string_view{};
    }
    if (card == nullptr) {
        return kInsertCard;
    }
    if (device->kind == 2 && device->device_class == "P") {
        return kNoPda;
    }
    if (CardHasNewest(*device, *card) && device->busy == 0) {
        return kAlreadyNewest;
    }
    const double capacity_gb = static_cast<double>(card->capacity_kb) / (1024.0 * 1024.0);
    if (device->sub_kind == 2 && capacity_gb < kSmallCardGb) {
        if (device->kind == 2) {
            return kNoSmallTarno;
        }
        if (device->kind == 1) {
            return kNoSmallOrla;
        }
    }
    if (device->install_type == kInstallNo1GbVariant) {
        return kNoCustom;
    }
    if (device->install_type == kInstallCameraOnly) {
        return kNoCameraOnly;
    }
    if (device->job_state == 0 && CheckCardSpace(device, card, job_running, true) == -2) {
        return kNoRoom;
    }
    return {};
}

}  // namespace mapvale::controller
