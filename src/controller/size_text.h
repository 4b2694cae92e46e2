#pragma once

#include <cstdint>
#include <string>

namespace mapvale::controller {

// A byte count as the content list prints it: whole KB first, then divided by 1024 while it
// exceeds 1024 (K, M, G, T; T is the last unit), "%0.1f" with a blank and the unit ("1.5 MB").
// A count that is 0 in whole KB prints "0".
std::string SizeText(std::uint64_t bytes);

}  // namespace mapvale::controller
