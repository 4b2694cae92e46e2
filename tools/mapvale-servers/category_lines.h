#pragma once

#include <string>
#include <vector>

#include "model/package_info.h"

namespace mapvale::servers {

// The program folder's package list, Info/PackageInfo.txt, as the packager and the world write
// it. The client files package entries by position: each category of the device's kind takes
// the next entry, one whose name holds '*' takes all the rest. So every package of one device
// kind must agree with the category lines of that kind, in order.

// "kind|a1|a2|a3|a4|a5|a6|name|display" (UTF-8).
std::string FormatCategoryLine(const PackageCategory& category);

// Adds the lines of one package to those of others, keeping the lines of each kind together.
// Where both have lines of a kind, one list must be the start of the other (a package with fewer
// entries leaves the later categories of its kind empty); the longer is kept. False, with
// `error` naming the first disagreement, when they differ.
bool MergeCategoryLines(std::vector<PackageCategory>& merged,
                        const std::vector<PackageCategory>& adding, std::string& error);

// The whole file: the family records, the "##" line, the category lines; CP949 with CR LF line
// ends, as the client reads it. Characters without a CP949 form become '?'.
std::string PackageListText(const std::vector<PackageListRecord>& records,
                            const std::vector<PackageCategory>& categories);

}  // namespace mapvale::servers
