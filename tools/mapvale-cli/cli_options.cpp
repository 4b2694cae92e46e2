#include "mapvale-cli/cli_options.h"

#include <algorithm>

#include "platform/text.h"

namespace mapvale::cli {

namespace {

constexpr std::string_view kUsage =
    R"(사용법: mapvale-cli [run|status] [옵션]

내비게이션 단말기의 메모리카드에 최신 지도를 설치하는 콘솔 프로그램입니다. 업데이트 프로그램과
같은 순서로 시작하고(설정, 프로그램 업데이트 확인, 로그인, 단말기와 드라이브 선택) 같은 작업을
실행합니다. 작업 중에는 단계, 진행률, 속도, 남은 시간을 한 줄로 보여 줍니다(터미널이 아니면
몇 초마다 한 줄씩 씁니다). Ctrl-C 는 작업을 취소하고 깨끗하게 끝냅니다.

명령:
  run          (기본) 로그인하고 단말기의 최신 지도를 받아 메모리카드에 설치합니다.
  status       메모리카드마다 카드에 맞는 패키지와 최신 여부를 보여 줍니다(카드의 버전 파일과
               서버의 버전 기준). 아무것도 설치하거나 저장하지 않습니다.
  help         이 설명을 보여 줍니다(-h, --help 와 같음).

폴더와 설정:
  --program-folder DIR  프로그램 폴더: Info/Servers.ini(서버 주소), Info/PackageInfo.txt,
                        ZipModule 이 있는 폴더. 기본값은 설정의 PATH\INSTALL, 없으면
                        MAPVALE_PROGRAM_DIR, 없으면 이 프로그램의 폴더입니다.
  --settings-dir DIR    설정 파일(user.reg, machine.reg)의 폴더. 기본값은 MAPVALE_SETTINGS_DIR,
                        없으면 $XDG_CONFIG_HOME/velmora/registry 입니다.
  --data-folder DIR     이번 실행의 다운로드 폴더(설정에는 저장하지 않음). 없으면 만듭니다.
                        기본값은 설정의 PATH\DATA 입니다.

로그인:
  --user ID             아이디. 없으면 저장된 로그인 정보를 씁니다.
  --password PW         비밀번호. --user 만 주고 터미널에서 실행하면 물어봅니다.
  --brand OV|DL         계정의 브랜드(기본값: 저장된 값, 없으면 OV).
  --no-save             로그인 정보를 저장하지 않습니다(기본: 설정의 저장 여부를 따름).

선택(없으면 업데이트 프로그램처럼 자동으로 고릅니다: 카드의 단말기, 하나뿐인 단말기와 카드):
  --device NAME         단말기: 모델 이름(예: HX100), 단말기 이름, 또는 목록의 번호(1부터).
  --card DRIVE          메모리카드: 드라이브 문자(E 또는 E:) 또는 카드 폴더.
  --hard-disk           카드 없이 하드디스크(다운로드 폴더)에만 받습니다.
  --format, --no-format 설치 전에 카드를 포맷할지. 기본값: 이동식 카드는 포맷, 하드디스크나
                        16GB 가 넘는 드라이브는 포맷하지 않음.
  --backup, --no-backup 포맷 전에 카드의 파일을 PC 에 백업하고 되돌릴지(기본: 포맷할 때 백업).

질문(대상 드라이브 확인, 재설치, 공지 등):
  --yes                 모든 질문에 "예"로 답합니다.
  --no                  모든 질문에 "아니오"로 답합니다.
  --answers LIST        쉼표로 나눈 답. "yes", "no", "cancel"(또는 y/n/c, 예/아니오/취소)은
                        차례로 질문에 답하고, "제목=답"은 그 제목의 질문에 답합니다.
                        예: --answers "재 설치 확인=no". 남은 질문에는 --yes/--no 를, 그것도
                        없으면 터미널에서 묻고, 터미널이 아니면 "아니오"(또는 "취소")로 답합니다.

기타:
  --skip-self-update    프로그램 업데이트 확인을 건너뜁니다.
  -h, --help            이 설명을 보여 줍니다.

환경 변수:
  MAPVALE_VIRTUAL_VOLUMES  가상 메모리카드 설정 파일(한 줄에 "E: 1G /카드/폴더").
  MAPVALE_SETTINGS_DIR     설정 파일 폴더(--settings-dir 와 같음).
  MAPVALE_PROGRAM_DIR      기본 프로그램 폴더.

종료 상태:
  0    작업을 완료했습니다(status: 카드 목록을 보여 주었습니다).
  1    작업이 실패했거나, 시작 전에 거절되었거나 멈추었습니다.
  2    명령줄을 읽을 수 없습니다.
  3    시작하지 못했습니다(다른 실행 중인 프로그램, 프로그램 업데이트, 실행 정보, 로그인).
  4    할 일이 없습니다(최신 버전이 이미 설치되어 있고 재설치하지 않음).
  130  Ctrl-C 로 작업을 취소했습니다.
)";

// Options that take no value.
enum class Flag {
    kNone,
    kHelp,
    kNoSave,
    kHardDisk,
    kFormat,
    kNoFormat,
    kBackup,
    kNoBackup,
    kYes,
    kNo,
    kSkipSelfUpdate,
};

Flag FlagOf(std::string_view name) {
    if (name == "--help" || name == "-h")
        return Flag::kHelp;
    if (name == "--no-save")
        return Flag::kNoSave;
    if (name == "--hard-disk")
        return Flag::kHardDisk;
    if (name == "--format")
        return Flag::kFormat;
    if (name == "--no-format")
        return Flag::kNoFormat;
    if (name == "--backup")
        return Flag::kBackup;
    if (name == "--no-backup")
        return Flag::kNoBackup;
    if (name == "--yes")
        return Flag::kYes;
    if (name == "--no")
        return Flag::kNo;
    if (name == "--skip-self-update")
        return Flag::kSkipSelfUpdate;
    return Flag::kNone;
}

constexpr std::string_view kValueOptions[] = {
    "--program-folder", "--settings-dir", "--data-folder", "--user",    "--password",
    "--brand",          "--device",       "--card",        "--answers",
};

bool TakesValue(std::string_view name) {
    return std::find(std::begin(kValueOptions), std::end(kValueOptions), name) !=
           std::end(kValueOptions);
}

ParsedOptions Fail(std::string error) {
    return ParsedOptions{std::nullopt, std::move(error)};
}

}  // namespace

std::string_view UsageText() {
    return kUsage;
}

ParsedOptions ParseCliOptions(const std::vector<std::string>& args) {
    CliOptions options;
    std::optional<Reply> answer_all;
    std::size_t i = 0;
    if (!args.empty() && !args[0].starts_with("-")) {
        if (args[0] == "run") {
            options.command = Command::kRun;
        } else if (args[0] == "status") {
            options.command = Command::kStatus;
        } else if (args[0] == "help") {
            options.command = Command::kHelp;
            return ParsedOptions{options, {}};
        } else {
            return Fail("알 수 없는 명령입니다: " + args[0]);
        }
        i = 1;
    }
    for (; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const std::size_t equals = name.find('=');
            name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (const Flag flag = FlagOf(name); flag != Flag::kNone) {
            if (value) {
                return Fail(name + " 옵션은 값을 받지 않습니다.");
            }
            switch (flag) {
                case Flag::kHelp:
                    options.command = Command::kHelp;
                    return ParsedOptions{options, {}};
                case Flag::kNoSave:
                    options.save_sign_in = false;
                    break;
                case Flag::kHardDisk:
                    options.hard_disk = true;
                    break;
                case Flag::kFormat:
                case Flag::kNoFormat:
                    if (options.format && *options.format != (flag == Flag::kFormat)) {
                        return Fail("--format 과 --no-format 은 함께 쓸 수 없습니다.");
                    }
                    options.format = flag == Flag::kFormat;
                    break;
                case Flag::kBackup:
                case Flag::kNoBackup:
                    if (options.backup && *options.backup != (flag == Flag::kBackup)) {
                        return Fail("--backup 과 --no-backup 은 함께 쓸 수 없습니다.");
                    }
                    options.backup = flag == Flag::kBackup;
                    break;
                case Flag::kYes:
                case Flag::kNo: {
                    const Reply reply = flag == Flag::kYes ? Reply::kYes : Reply::kNo;
                    if (answer_all && *answer_all != reply) {
                        return Fail("--yes 와 --no 는 함께 쓸 수 없습니다.");
                    }
                    answer_all = reply;
                    break;
                }
                case Flag::kSkipSelfUpdate:
                    options.skip_self_update = true;
                    break;
                case Flag::kNone:
                    break;
            }
            continue;
        }
        if (!TakesValue(name)) {
            return Fail("알 수 없는 옵션입니다: " + name);
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                return Fail(name + " 옵션에 값이 필요합니다.");
            }
            value = args[++i];
        }
        if (name == "--program-folder") {
            options.program_folder = *value;
        } else if (name == "--settings-dir") {
            options.settings_folder = *value;
        } else if (name == "--data-folder") {
            options.data_folder = *value;
        } else if (name == "--user") {
            options.user = *value;
        } else if (name == "--password") {
            options.password = *value;
        } else if (name == "--brand") {
            std::string brand(platform::TrimText(*value));
            for (char& c : brand) {
                c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            }
            if (brand != "OV" && brand != "DL") {
                return Fail("--brand 는 OV 또는 DL 입니다: " + *value);
            }
            options.brand = brand;
        } else if (name == "--device") {
            options.device = *value;
        } else if (name == "--card") {
            options.card = *value;
        } else if (name == "--answers") {
            std::string item;
            auto book = AnswerBook::Parse(*value, item);
            if (!book) {
                return Fail("--answers 의 답을 읽을 수 없습니다: " + item);
            }
            options.answers = std::move(*book);
        }
        if (value->empty() && name != "--password" && name != "--answers") {
            return Fail(name + " 옵션에 값이 필요합니다.");
        }
    }
    if (options.hard_disk && !options.card.empty()) {
        return Fail("--card 와 --hard-disk 는 함께 쓸 수 없습니다.");
    }
    if (options.backup.value_or(false) && !options.format.value_or(true)) {
        return Fail("--backup 은 포맷할 때만 쓸 수 있습니다(--no-format 과 함께 쓸 수 없음).");
    }
    options.answers.SetDefault(answer_all);
    return ParsedOptions{std::move(options), {}};
}

}  // namespace mapvale::cli
