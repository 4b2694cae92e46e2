#include "ZipModule/volume_source.h"

#include <cerrno>
#include <cstddef>

namespace mapvale::zipmodule {

namespace {

struct Window {
    VolumeReader* reader = nullptr;
    std::uint64_t start = 0;
    std::uint64_t length = 0;
    std::uint64_t position = 0;
    zip_error_t error{};
};

constexpr zip_int64_t Bit(zip_source_cmd_t command) {
    return zip_int64_t{1} << command;
}

zip_int64_t Callback(void* user, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* window = static_cast<Window*>(user);
    switch (command) {
        case ZIP_SOURCE_OPEN:
            window->position = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const std::uint64_t left = window->length - window->position;
            const std::size_t want = static_cast<std::size_t>(length < left ? length : left);
            const std::int64_t n =
                window->reader->ReadAt(window->start + window->position, data, want);
            if (n < 0) {
                zip_error_set(&window->error, ZIP_ER_READ, errno);
                return -1;
            }
            window->position += static_cast<std::uint64_t>(n);
            return n;
        }
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            if (length < sizeof(zip_stat_t)) {
                zip_error_set(&window->error, ZIP_ER_INVAL, 0);
                return -1;
            }
            auto* stat = static_cast<zip_stat_t*>(data);
            zip_stat_init(stat);
            stat->size = window->length;
            stat->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&window->error, data, length);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&window->error);
            delete window;
            return 0;
        case ZIP_SOURCE_SEEK: {
            const zip_int64_t position = zip_source_seek_compute_offset(
                window->position, window->length, data, length, &window->error);
            if (position < 0) {
                return -1;
            }
            window->position = static_cast<std::uint64_t>(position);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return static_cast<zip_int64_t>(window->position);
        case ZIP_SOURCE_SUPPORTS:
            return Bit(ZIP_SOURCE_OPEN) | Bit(ZIP_SOURCE_READ) | Bit(ZIP_SOURCE_CLOSE) |
                   Bit(ZIP_SOURCE_STAT) | Bit(ZIP_SOURCE_ERROR) | Bit(ZIP_SOURCE_FREE) |
                   Bit(ZIP_SOURCE_SEEK) | Bit(ZIP_SOURCE_TELL) | Bit(ZIP_SOURCE_SUPPORTS);
        default:
            zip_error_set(&window->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

}  // namespace

zip_source_t* CreateVolumeSource(VolumeReader& reader, std::uint64_t start, std::uint64_t length,
                                 zip_error_t* error) {
    auto* window = new Window;
    window->reader = &reader;
    window->start = start;
    window->length = length;
    zip_error_init(&window->error);
    zip_source_t* source = zip_source_function_create(&Callback, window, error);
    if (source == nullptr) {
        zip_error_fini(&window->error);
        delete window;
    }
    return source;
}

}  // namespace mapvale::zipmodule
