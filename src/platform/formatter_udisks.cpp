#include <systemd/sd-bus.h>

#include <cstdint>
#include <memory>

#include "platform/formatter.h"

namespace mapvale::platform {

namespace {

constexpr const char* kService = "org.freedesktop.UDisks2";
constexpr const char* kBlock = "org.freedesktop.UDisks2.Block";
constexpr const char* kFilesystem = "org.freedesktop.UDisks2.Filesystem";
// A full format of a large, slow card takes minutes; the bus default is 25 s.
constexpr std::uint64_t kFormatTimeoutUsec = 60ull * 60 * 1000 * 1000;

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using BusPtr = std::unique_ptr<sd_bus, BusCloser>;
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;

// sd_bus_error freed on every exit path.
class BusError {
  public:
    BusError() = default;
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    ~BusError() { sd_bus_error_free(&error_); }
    sd_bus_error* get() { return &error_; }
    // The service or the bus is missing rather than the request being wrong.
    bool MeansUnreachable() const {
        return sd_bus_error_has_names(&error_, SD_BUS_ERROR_SERVICE_UNKNOWN,
                                      SD_BUS_ERROR_NAME_HAS_NO_OWNER, SD_BUS_ERROR_NO_REPLY,
                                      SD_BUS_ERROR_DISCONNECTED, SD_BUS_ERROR_TIMEOUT,
                                      SD_BUS_ERROR_NO_SERVER) != 0;
    }

  private:
    sd_bus_error error_{};  // SD_BUS_ERROR_NULL, without its C compound literal
};

// The object path the disk service gives a block device: its kernel name with every byte that is
// not an ASCII letter or digit written as "_" and two hex digits.
std::string ObjectPathOf(const std::string& device) {
    const std::string name = device.substr(device.find_last_of('/') + 1);
    std::string path = "/org/freedesktop/UDisks2/block_devices/";
    static const char* const kHex = "0123456789abcdef";
    for (unsigned char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            path.push_back(static_cast<char>(c));
        } else {
            path.push_back('_');
            path.push_back(kHex[c >> 4]);
            path.push_back(kHex[c & 15]);
        }
    }
    return path;
}

// Appends the format options: mkfs.vfat's FAT size, the rest left to the service.
int AppendFormatOptions(sd_bus_message* message, std::string_view file_system) {
    const char* fat_bits = file_system == "FAT32" ? "32" : "16";
    int r = sd_bus_message_open_container(message, 'a', "{sv}");
    if (r >= 0) {
        r = sd_bus_message_append(message, "{sv}", "mkfs-args", "as", 2, "-F", fat_bits);
    }
    if (r >= 0) {
        r = sd_bus_message_append(message, "{sv}", "no-block", "b", 0);
    }
    if (r >= 0) {
        r = sd_bus_message_close_container(message);
    }
    return r;
}

}  // namespace

FormatOutcome FormatWithDiskService(const std::string& device, std::string_view file_system,
                                    const FormatProgress& progress) {
    if (device.rfind("/dev/", 0) != 0 || device.size() <= 5) {
        return FormatOutcome::kRefused;
    }
    sd_bus* raw_bus = nullptr;
    if (sd_bus_open_system(&raw_bus) < 0 || raw_bus == nullptr) {
        return FormatOutcome::kUnavailable;
    }
    BusPtr bus(raw_bus);
    const std::string object = ObjectPathOf(device);

    // The service must know this object as exactly this device, and not as a system disk.
    {
        BusError error;
        sd_bus_message* raw_reply = nullptr;
        if (sd_bus_get_property(bus.get(), kService, object.c_str(), kBlock, "Device", error.get(),
                                &raw_reply, "ay") < 0) {
            return error.MeansUnreachable() ? FormatOutcome::kUnavailable : FormatOutcome::kRefused;
        }
        MessagePtr reply(raw_reply);
        const void* bytes = nullptr;
        std::size_t size = 0;
        if (sd_bus_message_read_array(reply.get(), 'y', &bytes, &size) < 0) {
            return FormatOutcome::kRefused;
        }
        std::string known(static_cast<const char*>(bytes), size);
        known = known.substr(0, known.find('\0'));
        if (known != device) {
            return FormatOutcome::kRefused;
        }
        int system = 1;
        BusError hint_error;
        if (sd_bus_get_property_trivial(bus.get(), kService, object.c_str(), kBlock, "HintSystem",
                                        hint_error.get(), 'b', &system) < 0 ||
            system != 0) {
            return FormatOutcome::kRefused;
        }
    }
    if (progress) {
        progress(0);
    }
    {
        // Not mounted is fine; a busy volume makes the format below fail.
        BusError error;
        sd_bus_call_method(bus.get(), kService, object.c_str(), kFilesystem, "Unmount", error.get(),
                           nullptr, "a{sv}", 0);
    }
    {
        sd_bus_message* raw_call = nullptr;
        if (sd_bus_message_new_method_call(bus.get(), &raw_call, kService, object.c_str(), kBlock,
                                           "Format") < 0) {
            return FormatOutcome::kFailed;
        }
        MessagePtr call(raw_call);
        if (sd_bus_message_append(call.get(), "s", "vfat") < 0 ||
            AppendFormatOptions(call.get(), file_system) < 0) {
            return FormatOutcome::kFailed;
        }
        BusError error;
        sd_bus_message* raw_reply = nullptr;
        if (sd_bus_call(bus.get(), call.get(), kFormatTimeoutUsec, error.get(), &raw_reply) < 0) {
            return FormatOutcome::kFailed;
        }
        MessagePtr reply(raw_reply);
    }
    {
        // The card must be reachable again for the files that follow.
        BusError error;
        sd_bus_message* raw_reply = nullptr;
        if (sd_bus_call_method(bus.get(), kService, object.c_str(), kFilesystem, "Mount",
                               error.get(), &raw_reply, "a{sv}", 0) < 0) {
            return FormatOutcome::kFailed;
        }
        MessagePtr reply(raw_reply);
    }
    if (progress) {
        progress(100);
    }
    return FormatOutcome::kDone;
}

}  // namespace mapvale::platform
