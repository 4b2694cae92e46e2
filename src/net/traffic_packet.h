#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::net {

// The traffic server's "TRA01" packets: a 20-byte little-endian header, then up to 2028 bytes of
// payload. A longer message travels in several packets; the first carries the remainder and the
// header's counter tells how many packets still follow.
inline constexpr std::size_t kTrafficHeaderSize = 20;
inline constexpr std::size_t kTrafficMaxPayload = 2028;

struct TrafficHeader {
    bool marker_ok = false;  // byte 0 is 'M': what a receiver must see
    bool tag_ok = false;     // bytes 0-5 are "MTRA01", as this client writes them
    std::uint32_t payload_length = 0;
    std::uint32_t packets_to_follow = 0;
};

// The packets (header + payload each) of one message. An empty message is one empty packet.
std::vector<std::string> SplitTrafficMessage(std::string_view message);
std::string TrafficPacketHeader(std::uint32_t payload_length, std::uint32_t packets_to_follow);
TrafficHeader ParseTrafficHeader(std::string_view header);

// The key request: the known key (0 when none) and the unit mode (2 = TARNO unit).
std::string BuildKeyRequest(std::uint32_t key, std::uint16_t unit_mode);

struct TrafficEntry {
    std::uint8_t type = 0;
    bool delete_after_upload = false;
    std::string name;  // relative to the chosen root, as the server wrote it
};

struct KeyAnswer {
    std::uint32_t key = 0;
    std::vector<TrafficEntry> entries;
};

// Whatever a key answer carries: bytes it lacks read as 0, a negative entry count as none, and
// the entries end with the last one that fits in the payload. Any answer that arrived is one
// the client goes on with.
KeyAnswer ParseKeyAnswer(std::string_view payload);

// The 13-byte head of an upload; the files follow it as type (1 byte), size (4 bytes), bytes.
std::string BuildUploadHead(std::uint32_t key, std::uint16_t unit_mode, std::uint32_t file_count);
void AppendUploadFile(std::string& upload, std::uint8_t type, std::string_view bytes);

// Little-endian helpers.
void PutU32(std::string& out, std::uint32_t value);
std::uint32_t GetU32(std::string_view bytes, std::size_t offset);

}  // namespace mapvale::net
