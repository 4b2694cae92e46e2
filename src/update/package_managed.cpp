#include "update/package_managed.h"

#include "platform/files.h"

namespace mapvale::update {

bool IsPackageManaged(const std::string& program_folder) {
    return platform::FileExists(program_folder + std::string(kPackageManagedFile));
}

}  // namespace mapvale::update
