#pragma once

// A memory card for the install benchmarks: a folder that acts as removable volume V: beside the
// machine's real volumes, with the analysed drive record the install job is given.

#include <cstdint>
#include <string>

#include "model/card_info.h"
#include "platform/mount_table.h"
#include "platform/virtual_volumes.h"

namespace mapvale::bench {

class VirtualCard {
public:
    static constexpr char kLetter = 'V';

    // `folder` is absolute and exists while the card is used.
    VirtualCard(const std::string& folder, std::uint64_t capacity_bytes)
        : volumes_({&mounts_, &cards_}) {
        cards_.Insert({kLetter, capacity_bytes, folder});
        record_.letter = kLetter;
        record_.root = folder + "/";
        record_.product_folder = folder + "/Tarno";
        record_.capacity_kb = static_cast<std::uint32_t>(capacity_bytes / 1024);
    }
    VirtualCard(const VirtualCard&) = delete;
    VirtualCard& operator=(const VirtualCard&) = delete;

    // The machine's volumes with the card among them.
    platform::Volumes& volumes() { return volumes_; }
    // The card as the drive analysis would have described it: empty, product folder "Tarno".
    const CardInfo& record() const { return record_; }

private:
    platform::MountTableSource mounts_;
    platform::VirtualVolumes cards_;
    platform::MachineVolumes volumes_;
    CardInfo record_;
};

}  // namespace mapvale::bench
