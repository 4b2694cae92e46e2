#pragma once

#include "platform/text.h"

namespace mapvale::catalog {

// The catalogue's readers use the program's text helpers under their short names.
using platform::AsciiLower;
using platform::ContainsNoCase;
using platform::CutUtf8;
using platform::EqualsNoCase;
using platform::LeadingInt32;
using platform::LeadingInt64;
using platform::SplitFields;
using platform::TrimText;

}  // namespace mapvale::catalog
