#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mapvale::servers {

// Decoding what a client sent: URL-encoded parameters and paths, in the maker's code page.

struct FormField {
    std::string name;
    std::string value;

    bool operator==(const FormField&) const = default;
};

// %XX sequences become their byte; with `plus_is_space`, '+' becomes ' '. A '%' that is not
// followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view text, bool plus_is_space);

// "a=1&b=two+words" as fields in order, names and values decoded (bytes, not yet text). Empty
// pieces ("a=1&&b=2") are skipped; a piece without '=' is a name with an empty value.
std::vector<FormField> ParseFormFields(std::string_view urlencoded);

// Request bytes as UTF-8: kept when they already are well-formed UTF-8 (the programs' own file
// names), otherwise read as CP949, with '?' for every byte that does not convert.
std::string RequestTextToUtf8(std::string_view bytes);

}  // namespace mapvale::servers
