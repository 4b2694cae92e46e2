#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace mapvale::servers {

// `mapvale-servers pack --manifest FILE --files DIR --out CONTENT_DIR [--categories FILE]`:
// packs one package (see packager.h) into a content tree. The category lines for
// Info/PackageInfo.txt go to FILE (CP949, CR LF, ready to paste) or, without --categories, to
// `out` as UTF-8 text after the summary.
//
// Returns 0 when the package was written (and for --help), 1 when packing failed, 2 for a bad
// command line.
int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace mapvale::servers
