#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace mapvale::extras {

// Sixteen bytes of a new GUID: Data1 (4, little-endian), Data2 (2), Data3 (2), Data4 (8).
using GuidBytes = std::array<std::uint8_t, 16>;
using GuidSource = std::function<GuidBytes()>;

// Random bytes from the system.
GuidBytes RandomGuid();

// "-Norbek-" + the GUID's fields in lower-case hexadecimal + "-".
std::string UploadBoundary(const GuidBytes& guid);

// A text part is built in a buffer of this many bytes with its terminating zero: the boundary
// line, the part's header, the value and the line breaks must fit in one byte less.
inline constexpr std::size_t kTextPartBuffer = 471;

// The most CP949 bytes the value of the text field `name` can carry.
std::size_t MaxFieldBytes(std::string_view name);

// What the photo board's upload sends: the form fields in the portal's order with the photo
// between them. `head` and `tail` are the body before and after the photo's bytes; the body's
// length is head + the file's size + tail, announced before anything is sent.
struct UploadBody {
    std::string boundary;
    std::string head;
    std::string file_path;
    std::uint64_t file_size = 0;
    std::string tail;

    std::uint64_t Length() const { return head.size() + file_size + tail.size(); }
};

// The post's fields as the dialog holds them (UTF-8; sent in CP949).
struct UploadFields {
    std::string contents;
    int kind = 0;
    std::string location;
    std::string subject;
    std::string file_path;  // the photo, also sent as its name
    std::string user_id;
};

// Builds the body for `fields` with `guid`'s boundary. Values too long for their part are cut
// at a whole character; '"', CR and LF in the file name become '_'. The file's type comes from
// its first bytes (JPEG, PNG, GIF, BMP, else "application/octet-stream"); a file that cannot be
// read counts as empty.
UploadBody BuildUploadBody(const UploadFields& fields, const GuidBytes& guid);

// The MIME type of a file starting with `first_bytes`.
std::string_view SniffMimeType(std::string_view first_bytes);

}  // namespace mapvale::extras
