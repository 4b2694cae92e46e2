#pragma once

#include <zip.h>

#include <cstdint>

#include "ZipModule/volume_set.h"

namespace mapvale::zipmodule {

// A read-only, seekable libzip source over `length` bytes of `reader`'s stream from `start`:
// the archive as libzip sees it, without a joined copy on disk. The reader must outlive the
// source; freeing the source leaves the reader alone. A read failure reaches libzip as
// ZIP_ER_READ with the errno of the failed call; reader.failure() holds the details.
// Nothing on failure, with `error` set.
zip_source_t* CreateVolumeSource(VolumeReader& reader, std::uint64_t start, std::uint64_t length,
                                 zip_error_t* error);

}  // namespace mapvale::zipmodule
