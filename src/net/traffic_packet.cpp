#include "net/traffic_packet.h"

namespace mapvale::net {

void PutU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::uint32_t GetU32(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value =
            (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::string TrafficPacketHeader(std::uint32_t payload_length, std::uint32_t packets_to_follow) {
    std::string header = "MTRA01";
    header.append(6, '\0');  // two bytes and four bytes of zero
    PutU32(header, payload_length);
    PutU32(header, packets_to_follow);
    return header;
}

std::vector<std::string> SplitTrafficMessage(std::string_view message) {
    std::vector<std::string> packets;
    const std::size_t count =
        message.empty() ? 1 : (message.size() + kTrafficMaxPayload - 1) / kTrafficMaxPayload;
    std::size_t first = message.empty() ? 0 : (message.size() - 1) % kTrafficMaxPayload + 1;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t length = i == 0 ? first : kTrafficMaxPayload;
        std::string packet = TrafficPacketHeader(static_cast<std::uint32_t>(length),
                                                 static_cast<std::uint32_t>(count - 1 - i));
        packet.append(message.substr(offset, length));
        offset += length;
        packets.push_back(std::move(packet));
    }
    return packets;
}

TrafficHeader ParseTrafficHeader(std::string_view header) {
    TrafficHeader parsed;
    if (header.size() < kTrafficHeaderSize) {
        return parsed;
    }
    parsed.marker_ok = header.front() == 'M';
    parsed.tag_ok = header.substr(0, 6) == "MTRA01";
    parsed.payload_length = GetU32(header, 12);
    parsed.packets_to_follow = GetU32(header, 16);
    return parsed;
}

std::string BuildKeyRequest(std::uint32_t key, std::uint16_t unit_mode) {
    std::string request;
    request.push_back(1);
    request.push_back(0);
    PutU32(request, key);
    request.append(2, '\0');
    request.push_back(unit_mode == 2 ? 1 : 0);
    request.append(4, '\0');
    return request;
}

KeyAnswer ParseKeyAnswer(std::string_view payload) {
    constexpr std::size_t kFirstEntry = 11;
    std::string whole(payload);
    if (whole.size() < kFirstEntry) {
        whole.resize(kFirstEntry, '\0');
    }
    KeyAnswer answer;
    answer.key = GetU32(whole, 2);
    const auto count = static_cast<std::int8_t>(whole[6]);
    std::size_t offset = kFirstEntry;
    for (int i = 0; i < count; ++i) {
        if (offset + 3 > payload.size()) {
            break;
        }
        TrafficEntry entry;
        entry.type = static_cast<std::uint8_t>(payload[offset]);
        entry.delete_after_upload = payload[offset + 1] != 0;
        const std::size_t length = static_cast<unsigned char>(payload[offset + 2]);
        offset += 3;
        if (offset + length > payload.size()) {
            break;
        }
        entry.name = std::string(payload.substr(offset, length));
        offset += length;
        answer.entries.push_back(std::move(entry));
    }
    return answer;
}

std::string BuildUploadHead(std::uint32_t key, std::uint16_t unit_mode, std::uint32_t file_count) {
    std::string head;
    head.push_back(2);
    head.push_back(0);
    PutU32(head, key);
    const std::uint16_t kind = unit_mode == 2 ? 0x1140 : 0x0140;
    head.push_back(static_cast<char>(kind & 0xFF));
    head.push_back(static_cast<char>(kind >> 8));
    PutU32(head, file_count);
    head.push_back(0);
    return head;
}

void AppendUploadFile(std::string& upload, std::uint8_t type, std::string_view bytes) {
    upload.push_back(static_cast<char>(type));
    PutU32(upload, static_cast<std::uint32_t>(bytes.size()));
    upload.append(bytes);
}

}  // namespace mapvale::net
