#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/card_info.h"
#include "model/device_entry.h"

namespace mapvale::cli {

// A device as the wizard's device list names it: "[Orla]" for ORLA units, "[Tarno] " for TARNO
// units, "[Orvin] " or "[Dalmar] " for vehicles by the account's brand code ("[DL] " without
// one), then its caption (its model name when it has none) and, for the console, the model
// name in brackets.
std::string DeviceLabel(const DeviceEntry& device, std::string_view brand_code);

// The package an install type stands for: "전체 패키지" (4), "%dG 패키지", "사용자선택 패키지"
// (100), "안전운행 데이터" (200).
std::string PackageText(int install_type);

// The wizard's summary before the start, from the device's install type and the drive: the
// drive letter, the device's caption and the package ("E드라이브, 그랜드 HX, 전체 패키지 설치").
std::string SummaryLine(const DeviceEntry* device, const CardInfo* card);

// What the status command says about one card: the drive, the package its version file names
// and whether that install completed, the device of the account it belongs to (null: none),
// the newest package that fits the card with the wizard's default options, and the state as the
// main screen's status strip words it at `now`.
std::vector<std::string> CardReport(const CardInfo& card, const DeviceEntry* device,
                                    std::string_view brand_code, std::int64_t now);

}  // namespace mapvale::cli
