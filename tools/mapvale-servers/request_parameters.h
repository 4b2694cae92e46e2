#pragma once

#include <httplib.h>

#include <string>
#include <string_view>
#include <vector>

#include "mapvale-servers/request_text.h"

namespace mapvale::servers {

// The form parameters of a request to one of the maker's endpoints, as UTF-8 from the client's
// CP949 (bytes that are not CP949 become '?'): the query string's fields first, then those of a
// form-encoded body of any verb (the client sends its parameters both ways).
class RequestParameters {
public:
    explicit RequestParameters(const httplib::Request& request);

    // The first field called `name`; empty when there is none.
    std::string Get(std::string_view name) const;

private:
    std::vector<FormField> fields_;
};

// Sets a text answer of the maker's servers: the UTF-8 text converted to CP949 (characters that
// have no CP949 form become '?').
void SetCp949Answer(httplib::Response& response, std::string_view utf8_text);

}  // namespace mapvale::servers
