#include "extras/upload_body.h"

#include <cstdio>
#include <fstream>
#include <random>

#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::extras {

namespace {

constexpr std::string_view kDisposition = "Content-Disposition: form-data; name=\"";

std::string BoundaryLine(std::string_view boundary) {
    return "--" + std::string(boundary) + "\r\n";
}

// The CP949 text of `utf8` cut to at most `limit` bytes without splitting a character.
std::string Cp949Cut(std::string_view utf8, std::size_t limit) {
    std::string text = platform::Utf8ToCp949(utf8, platform::InvalidBytes::kReplace).text;
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = static_cast<unsigned char>(text[end]) >= 0x81 ? 2 : 1;
        if (end + width > limit) {
            break;
        }
        end += width;
    }
    text.resize(std::min(end, text.size()));
    return text;
}

std::string TextPart(std::string_view boundary, std::string_view name, std::string_view value) {
    const std::string head =
        BoundaryLine(boundary) + std::string(kDisposition) + std::string(name) + "\"\r\n\r\n";
    const std::size_t room = kTextPartBuffer - 1 - head.size() - 2;
    return head + Cp949Cut(value, room) + "\r\n";
}

std::string SafeFileName(std::string_view utf8) {
    std::string name = platform::Utf8ToCp949(utf8, platform::InvalidBytes::kReplace).text;
    for (char& c : name) {
        if (c == '"' || c == '\r' || c == '\n') {
            c = '_';
        }
    }
    return name;
}

}  // namespace

GuidBytes RandomGuid() {
    std::random_device device;
    GuidBytes guid{};
    for (std::uint8_t& byte : guid) {
        byte = static_cast<std::uint8_t>(device() & 0xFF);
    }
    return guid;
}

std::string UploadBoundary(const GuidBytes& g) {
    const std::uint32_t data1 = std::uint32_t{g[0]} | std::uint32_t{g[1]} << 8 |
                                std::uint32_t{g[2]} << 16 | std::uint32_t{g[3]} << 24;
    const unsigned data2 = unsigned{g[4]} | unsigned{g[5]} << 8;
    const unsigned data3 = unsigned{g[6]} | unsigned{g[7]} << 8;
    char text[64];
    std::snprintf(text, sizeof text,
                  "-Norbek-%.08x%.04x%.04x%.02x%.02x%.02x%.02x%.02x%.02x%.02x%.02x-",
                  static_cast<unsigned>(data1), data2, data3, g[8], g[9], g[10], g[11], g[12],
                  g[13], g[14], g[15]);
    return text;
}

std::size_t MaxFieldBytes(std::string_view name) {
    static const std::size_t kBoundaryLine = BoundaryLine(UploadBoundary(GuidBytes{})).size();
    return kTextPartBuffer - 1 - kBoundaryLine - kDisposition.size() - name.size() - 5 - 2;
}

std::string_view SniffMimeType(std::string_view b) {
    if (b.starts_with("\xFF\xD8\xFF")) {
        return "image/jpeg";
    }
    if (b.starts_with("\x89PNG\r\n\x1A\n")) {
        return "image/png";
    }
    if (b.starts_with("GIF87a") || b.starts_with("GIF89a")) {
        return "image/gif";
    }
    if (b.starts_with("BM")) {
        return "image/bmp";
    }
    return "application/octet-stream";
}

UploadBody BuildUploadBody(const UploadFields& fields, const GuidBytes& guid) {
    UploadBody body;
    body.boundary = UploadBoundary(guid);
    const std::string& b = body.boundary;

    std::string first_bytes;
    if (std::ifstream in{fields.file_path, std::ios::binary}) {
        first_bytes.resize(256);
        in.read(first_bytes.data(), 256);
        first_bytes.resize(static_cast<std::size_t>(in.gcount()));
        body.file_size = platform::FileSize(fields.file_path).value_or(0);
    }
    const std::string_view mime =
        body.file_size == 0 ? "application/octet-stream" : SniffMimeType(first_bytes);

    body.head = TextPart(b, "contents", fields.contents) +
                TextPart(b, "kind", std::to_string(fields.kind)) +
                TextPart(b, "location", fields.location) + TextPart(b, "subject", fields.subject) +
                BoundaryLine(b) + std::string(kDisposition) + "upload_file\"; filename=\"" +
                SafeFileName(fields.file_path) + "\"\r\nContent-Type: " + std::string(mime) +
                "\r\n\r\n";
    body.file_path = fields.file_path;
    body.tail = "\r\n" + TextPart(b, "userid", fields.user_id) + "--" + b + "--\r\n";
    return body;
}

}  // namespace mapvale::extras
