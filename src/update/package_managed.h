#pragma once

#include <string>
#include <string_view>

namespace mapvale::update {

// Marks a program folder that the system's package manager owns; installed by packaged builds.
inline constexpr std::string_view kPackageManagedFile = "Info/package-managed";

// Whether `program_folder` (ending in '/') holds kPackageManagedFile. Such a folder is never
// changed by the programs' own self-update: new versions come with the package manager.
bool IsPackageManaged(const std::string& program_folder);

}  // namespace mapvale::update
