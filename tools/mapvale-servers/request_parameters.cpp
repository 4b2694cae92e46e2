#include "mapvale-servers/request_parameters.h"

#include "platform/encoding.h"

namespace mapvale::servers {
namespace {

void AppendDecoded(std::vector<FormField>& out, std::string_view urlencoded) {
    for (FormField& field : ParseFormFields(urlencoded)) {
        field.name = platform::Cp949ToUtf8(field.name, platform::InvalidBytes::kReplace).text;
        field.value = platform::Cp949ToUtf8(field.value, platform::InvalidBytes::kReplace).text;
        out.push_back(std::move(field));
    }
}

}  // namespace

RequestParameters::RequestParameters(const httplib::Request& request) {
    const std::size_t question = request.target.find('?');
    if (question != std::string::npos) {
        AppendDecoded(fields_, std::string_view(request.target).substr(question + 1));
    }
    const std::string type = request.get_header_value("Content-Type");
    if (!request.body.empty() &&
        (type.empty() || type.rfind("application/x-www-form-urlencoded", 0) == 0)) {
        AppendDecoded(fields_, request.body);
    }
}

std::string RequestParameters::Get(std::string_view name) const {
    for (const FormField& field : fields_) {
        if (field.name == name) {
            return field.value;
        }
    }
    return {};
}

void SetCp949Answer(httplib::Response& response, std::string_view utf8_text) {
    response.status = 200;
    response.set_content(platform::Utf8ToCp949(utf8_text, platform::InvalidBytes::kReplace).text,
                         "text/plain");
}

}  // namespace mapvale::servers
