#include "mapvale-servers/picroute_api.h"

#include <filesystem>
#include <fstream>
#include <optional>

#include "mapvale-servers/conf_text.h"
#include "mapvale-servers/http_server.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::servers {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kFieldOrder[] = {"contents", "kind",        "location",
                                            "subject",  "upload_file", "userid"};
constexpr std::string_view kPhotoPrefix = "/WMKproduct/picroute/photo/";

// A small picture the board shows as its samples (16 × 12).
constexpr char kSampleJpeg[] =
    "\xFF\xD8\xFF\xE0\x00\x10\x4A\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xFF\xDB\x00"
    "\x43"
    "\x00\x0D\x09\x0A\x0B\x0A\x08\x0D\x0B\x0A\x0B\x0E\x0E\x0D\x0F\x13\x20\x15\x13\x12\x12\x13\x27"
    "\x1C"
    "\x1E\x17\x20\x2E\x29\x31\x30\x2E\x29\x2D\x2C\x33\x3A\x4A\x3E\x33\x36\x46\x37\x2C\x2D\x40\x57"
    "\x41"
    "\x46\x4C\x4E\x52\x53\x52\x32\x3E\x5A\x61\x5A\x50\x60\x4A\x51\x52\x4F\xFF\xDB\x00\x43\x01\x0E"
    "\x0E"
    "\x0E\x13\x11\x13\x26\x15\x15\x26\x4F\x35\x2D\x35\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F"
    "\x4F"
    "\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F"
    "\x4F"
    "\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\x4F\xFF\xC0\x00\x11\x08\x00\x0C\x00\x10"
    "\x03"
    "\x01\x22\x00\x02\x11\x01\x03\x11\x01\xFF\xC4\x00\x1F\x00\x00\x01\x05\x01\x01\x01\x01\x01\x01"
    "\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\xFF\xC4\x00\xB5\x10"
    "\x00"
    "\x02\x01\x03\x03\x02\x04\x03\x05\x05\x04\x04\x00\x00\x01\x7D\x01\x02\x03\x00\x04\x11\x05\x12"
    "\x21"
    "\x31\x41\x06\x13\x51\x61\x07\x22\x71\x14\x32\x81\x91\xA1\x08\x23\x42\xB1\xC1\x15\x52\xD1\xF0"
    "\x24"
    "\x33\x62\x72\x82\x09\x0A\x16\x17\x18\x19\x1A\x25\x26\x27\x28\x29\x2A\x34\x35\x36\x37\x38\x39"
    "\x3A"
    "\x43\x44\x45\x46\x47\x48\x49\x4A\x53\x54\x55\x56\x57\x58\x59\x5A\x63\x64\x65\x66\x67\x68\x69"
    "\x6A"
    "\x73\x74\x75\x76\x77\x78\x79\x7A\x83\x84\x85\x86\x87\x88\x89\x8A\x92\x93\x94\x95\x96\x97\x98"
    "\x99"
    "\x9A\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAA\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9\xBA\xC2\xC3\xC4\xC5"
    "\xC6"
    "\xC7\xC8\xC9\xCA\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA"
    "\xF1"
    "\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFF\xC4\x00\x1F\x01\x00\x03\x01\x01\x01\x01\x01\x01\x01"
    "\x01"
    "\x01\x00\x00\x00\x00\x00\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\xFF\xC4\x00\xB5\x11"
    "\x00"
    "\x02\x01\x02\x04\x04\x03\x04\x07\x05\x04\x04\x00\x01\x02\x77\x00\x01\x02\x03\x11\x04\x05\x21"
    "\x31"
    "\x06\x12\x41\x51\x07\x61\x71\x13\x22\x32\x81\x08\x14\x42\x91\xA1\xB1\xC1\x09\x23\x33\x52\xF0"
    "\x15"
    "\x62\x72\xD1\x0A\x16\x24\x34\xE1\x25\xF1\x17\x18\x19\x1A\x26\x27\x28\x29\x2A\x35\x36\x37\x38"
    "\x39"
    "\x3A\x43\x44\x45\x46\x47\x48\x49\x4A\x53\x54\x55\x56\x57\x58\x59\x5A\x63\x64\x65\x66\x67\x68"
    "\x69"
    "\x6A\x73\x74\x75\x76\x77\x78\x79\x7A\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x92\x93\x94\x95\x96"
    "\x97"
    "\x98\x99\x9A\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAA\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9\xBA\xC2\xC3"
    "\xC4"
    "\xC5\xC6\xC7\xC8\xC9\xCA\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9"
    "\xEA"
    "\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00"
    "\x5D"
    "\x22\x0C\x44\xA3\x1D\x48\xA6\xEA\xD2\xA3\x6A\xB2\x38\x0A\x56\xDA\x30\x99\x0D\xC3\x11\x93\x8F"
    "\x63"
    "\x93\x8F\xC2\xB4\xB4\xA4\x1E\x64\x63\xB6\x2B\x9C\xF3\x1E\x5B\x7F\x31\xDB\x2F\x34\xB9\x73\x81"
    "\xC9"
    "\x39\x3F\xCE\x8F\xE3\xE6\x12\x6F\x68\xD9\x7F\x5F\x88\x65\x9F\xBA\xA7\x52\xBF\x58\xAF\xC5\xFF"
    "\x00"
    "\xC3\x1F\xFF\xD9";

const std::string_view kSamples[] = {"sample-1", "sample-2"};

std::string Between(std::string_view text, std::string_view before, std::string_view after) {
    const std::size_t start = text.find(before);
    if (start == std::string_view::npos) {
        return {};
    }
    const std::size_t from = start + before.size();
    const std::size_t end = text.find(after, from);
    return end == std::string_view::npos ? std::string()
                                         : std::string(text.substr(from, end - from));
}

std::optional<FormPart> ParsePart(std::string_view part) {
    const std::size_t header_end = part.find("\r\n\r\n");
    if (header_end == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view header = part.substr(0, header_end + 2);
    FormPart parsed;
    parsed.value = std::string(part.substr(header_end + 4));
    std::size_t line_start = 0;
    bool disposition = false;
    while (line_start < header.size()) {
        const std::size_t line_end = header.find("\r\n", line_start);
        const std::string_view line = header.substr(line_start, line_end - line_start);
        line_start = line_end + 2;
        if (line.starts_with("Content-Disposition: form-data; name=\"")) {
            const std::string_view rest = line.substr(38);
            const std::size_t quote = rest.find('"');
            if (quote == std::string_view::npos) {
                return std::nullopt;
            }
            parsed.name = std::string(rest.substr(0, quote));
            const std::string_view tail = rest.substr(quote + 1);
            if (!tail.empty()) {
                if (!tail.starts_with("; filename=\"") || !tail.ends_with("\"")) {
                    return std::nullopt;
                }
                parsed.file_name = std::string(tail.substr(12, tail.size() - 13));
            }
            disposition = true;
        } else if (line.starts_with("Content-Type: ")) {
            parsed.content_type = std::string(line.substr(14));
        } else {
            return std::nullopt;
        }
    }
    if (!disposition || parsed.name.empty()) {
        return std::nullopt;
    }
    return parsed;
}

struct Settings {
    std::string upload = "accept";
    std::string reason = "게시할 수 없는 사진입니다.";
    bool cp949 = false;
};

Settings ReadSettings(const std::string& path) {
    Settings settings;
    const ConfText conf = ParseConfText(platform::ReadWholeFile(path).value_or(""));
    for (const ConfLine& line : conf.lines) {
        if (line.key == "upload") {
            settings.upload = line.value;
        } else if (line.key == "reason") {
            settings.reason = line.value;
        } else if (line.key == "reason-charset") {
            settings.cp949 = line.value == "cp949";
        }
    }
    return settings;
}

// Upload folders in number order.
std::vector<std::string> Uploads(const std::string& folder) {
    std::vector<std::string> names;
    for (int n = 1;; ++n) {
        const std::string name = "upload-" + std::to_string(n);
        if (!platform::FolderExists(folder + "/" + name)) {
            return names;
        }
        names.push_back(name);
    }
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

// The request headers a test of the client looks at, as sent (the agent in CP949).
std::string RecordedHeaders(const httplib::Request& request) {
    std::string text;
    for (const char* name : {"User-Agent", "Cache-Control", "Pragma", "Expect"}) {
        if (request.has_header(name)) {
            text += std::string(name) + ": " + request.get_header_value(name) + "\n";
        }
    }
    return text;
}

}  // namespace

std::optional<std::vector<FormPart>> ParseMultipart(std::string_view content_type,
                                                    std::string_view body) {
    constexpr std::string_view kType = "multipart/form-data; boundary=";
    if (!content_type.starts_with(kType) || content_type.size() == kType.size()) {
        return std::nullopt;
    }
    const std::string boundary = "--" + std::string(content_type.substr(kType.size()));
    const std::string ending = boundary + "--\r\n";
    if (!body.starts_with(boundary + "\r\n") || !body.ends_with("\r\n" + ending)) {
        return std::nullopt;
    }
    // Between the first boundary line and the closing one: parts divided by CRLF + boundary +
    // CRLF.
    std::string_view rest =
        body.substr(boundary.size() + 2, body.size() - boundary.size() - 2 - ending.size() - 2);
    const std::string divider = "\r\n" + boundary + "\r\n";
    std::vector<FormPart> parts;
    for (;;) {
        const std::size_t next = rest.find(divider);
        const std::optional<FormPart> part = ParsePart(rest.substr(0, next));
        if (!part) {
            return std::nullopt;
        }
        parts.push_back(*part);
        if (next == std::string_view::npos) {
            return parts;
        }
        rest = rest.substr(next + divider.size());
    }
}

void PicrouteApi::AddTo(HttpServer& server) {
    const std::string uploads = folder_ + "/picroute-uploads";
    server.AddHandler(
        "/WMKproduct/picroute/picroute_regist.mms",
        [this, uploads](const httplib::Request& request, httplib::Response& response) {
            const std::optional<std::vector<FormPart>> parts = ParseMultipart(
                request.get_header_value(std::string(HttpServer::kRawContentType)), request.body);
            bool in_order = parts && parts->size() == std::size(kFieldOrder);
            for (std::size_t i = 0; in_order && i < parts->size(); ++i) {
                in_order = (*parts)[i].name == kFieldOrder[i] &&
                           (*parts)[i].file_name.empty() == (kFieldOrder[i] != "upload_file");
            }
            if (!in_order) {
                response.status = 400;
                return;
            }
            const Settings settings = ReadSettings(folder_ + "/picroute.conf");
            if (settings.upload == "drop") {
                response.status = 500;
                return;
            }
            if (settings.upload == "short") {
                response.set_content(std::string(kBom), "text/html");
                return;
            }
            if (settings.upload == "refuse") {
                const std::string reason =
                    settings.cp949 ? platform::Utf8ToCp949(settings.reason).text : settings.reason;
                response.set_content(std::string(kBom) + "NotOK|" + reason, "text/html");
                return;
            }
            const std::lock_guard<std::mutex> lock(mutex_);
            const std::string folder =
                uploads + "/upload-" + std::to_string(Uploads(uploads).size() + 1);
            std::string fields;
            std::string photo;
            for (const FormPart& part : *parts) {
                if (part.name == "upload_file") {
                    fields += "upload_file: " + part.file_name +
                              "\ncontent-type: " + part.content_type + "\n";
                    photo = part.value;
                } else {
                    fields += part.name + ": " + part.value + "\n";
                }
            }
            if (!platform::CreateFolderChain(folder) ||
                !platform::WriteFileAtomic(folder + "/fields.txt", fields) ||
                !platform::WriteFileAtomic(folder + "/photo.bin", photo) ||
                !platform::WriteFileAtomic(folder + "/headers.txt", RecordedHeaders(request))) {
                response.status = 500;
                return;
            }
            response.set_content(std::string(kBom) + "OK", "text/html");
        });
    server.AddHandler("/WMKproduct/picroute/board.mms", [uploads](const httplib::Request& request,
                                                                  httplib::Response& response) {
        const std::string base =
            "http://" + request.get_header_value("Host") + std::string(kPhotoPrefix);
        std::string json = "[";
        std::vector<std::string> names(std::begin(kSamples), std::end(kSamples));
        for (const std::string& upload : Uploads(uploads)) {
            names.push_back(upload);
        }
        for (const std::string& name : names) {
            json += (json.size() > 1 ? "," : "") + std::string("{\"name\":") + JsonString(name) +
                    ",\"url\":" + JsonString(base + name + ".jpg") + "}";
        }
        response.set_content(json + "]", "application/json");
    });
    server.AddHandler(std::string(kPhotoPrefix) + "*", [uploads](const httplib::Request& request,
                                                                 httplib::Response& response) {
        const std::string path = HttpServer::RoutePath(request);
        const std::string name = Between(path + "\n", kPhotoPrefix, ".jpg\n");
        for (const std::string_view sample : kSamples) {
            if (name == sample) {
                response.set_content(std::string(kSampleJpeg, sizeof kSampleJpeg - 1),
                                     "image/jpeg");
                return;
            }
        }
        for (const std::string& upload : Uploads(uploads)) {
            if (name == upload) {
                if (const auto bytes =
                        platform::ReadWholeFile(uploads + "/" + upload + "/photo.bin")) {
                    response.set_content(*bytes, "image/jpeg");
                    return;
                }
            }
        }
        response.status = 404;
    });
}

}  // namespace mapvale::servers
