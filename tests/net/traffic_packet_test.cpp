// The traffic messages byte for byte, from the layout of each message written out by hand: a
// fault that the encoder and the decoder share (byte order, offsets) shows here, where a round
// trip through both would hide it.

#include "net/traffic_packet.h"

#include <gtest/gtest.h>

#include "support/wire_bytes.h"

#include <initializer_list>

namespace mapvale::net {
namespace {

using testing::Bytes;

std::string Header(std::initializer_list<int> length, std::initializer_list<int> counter) {
    return testing::TrafficHeader(length, counter);
}

TEST(TrafficPacketTest, KeyRequestPacketsAsTheyGoOnTheWire) {
    const std::string payload = Bytes({0x01, 0x00, 0x04, 0x03, 0x02, 0x01,  // kind, 0, key
                                       0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(BuildKeyRequest(0x01020304, 2), payload);
    const auto packets = SplitTrafficMessage(payload);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], Header({13, 0, 0, 0}, {0, 0, 0, 0}) + payload);

    EXPECT_EQ(BuildKeyRequest(0, 1), Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(BuildKeyRequest(0xA1B2C3D4, 8),
              Bytes({1, 0, 0xD4, 0xC3, 0xB2, 0xA1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(TrafficPacketTest, UploadPayloadAsItGoesOnTheWire) {
    std::string upload = BuildUploadHead(0x0A0B0C0D, 2, 3);
    EXPECT_EQ(upload, Bytes({0x02, 0x00, 0x0D, 0x0C, 0x0B, 0x0A, 0x40, 0x11,  // kind 0x1140
                             0x03, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(
        BuildUploadHead(0x0A0B0C0D, 1, 0x0102),
        Bytes({0x02, 0x00, 0x0D, 0x0C, 0x0B, 0x0A, 0x40, 0x01, 0x02, 0x01, 0x00, 0x00, 0x00}));
    AppendUploadFile(upload, 5, "xyz");
    AppendUploadFile(upload, 3, std::string(0x0102, 'q'));
    EXPECT_EQ(upload.substr(13, 8), Bytes({0x05, 0x03, 0x00, 0x00, 0x00, 'x', 'y', 'z'}));
    EXPECT_EQ(upload.substr(21, 5), Bytes({0x03, 0x02, 0x01, 0x00, 0x00}));
    EXPECT_EQ(upload.size(), 26u + 0x0102);
}

TEST(TrafficPacketTest, LongMessagesSplitWithTheRemainderFirst) {
    // 2028 = 0x07EC bytes fit one packet.
    auto packets = SplitTrafficMessage(std::string(2028, 'a'));
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], Header({0xEC, 0x07, 0, 0}, {0, 0, 0, 0}) + std::string(2028, 'a'));

    // 2029 bytes: 1 byte with one packet to follow, then 2028.
    std::string message(2029, 'b');
    message[0] = 'X';
    packets = SplitTrafficMessage(message);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0], Header({1, 0, 0, 0}, {1, 0, 0, 0}) + "X");
    EXPECT_EQ(packets[1], Header({0xEC, 0x07, 0, 0}, {0, 0, 0, 0}) + std::string(2028, 'b'));

    // 258 packets: the counter's second byte is used.
    packets = SplitTrafficMessage(std::string(2028 * 257 + 5, 'c'));
    ASSERT_EQ(packets.size(), 258u);
    EXPECT_EQ(packets[0].substr(0, 20), Header({5, 0, 0, 0}, {0x01, 0x01, 0, 0}));
    EXPECT_EQ(packets[1].substr(12, 8), Bytes({0xEC, 0x07, 0, 0, 0x00, 0x01, 0, 0}));
}

TEST(TrafficPacketTest, HeadersReadLittleEndianAndNeedOnlyTheMarker) {
    TrafficHeader header =
        ParseTrafficHeader(Bytes({'M',  'T',  'R',  'A',  '0',  '1',  0,    0,   0, 0, 0, 0,  //
                                  0x78, 0x56, 0x34, 0x12, 0x02, 0x01, 0x00, 0x00}));
    EXPECT_TRUE(header.marker_ok);
    EXPECT_TRUE(header.tag_ok);
    EXPECT_EQ(header.payload_length, 0x12345678u);
    EXPECT_EQ(header.packets_to_follow, 0x0102u);

    header = ParseTrafficHeader(Bytes({'M',  'X',  'Y', 'Z', '9', '9', 7, 7, 7, 7, 7, 7,  //
                                       0xD0, 0x0B, 0,   0,   0,   0,   0, 0}));
    EXPECT_TRUE(header.marker_ok);
    EXPECT_FALSE(header.tag_ok);
    EXPECT_EQ(header.payload_length, 3024u);

    header = ParseTrafficHeader(Header({1, 0, 0, 0}, {0, 0, 0, 0}).replace(0, 1, "N"));
    EXPECT_FALSE(header.marker_ok);
    EXPECT_FALSE(ParseTrafficHeader("MTRA01").marker_ok);  // too short to be a header
}

TEST(TrafficPacketTest, KeyAnswersReadWhateverTheyCarry) {
    const std::string answer =
        Bytes({0x01, 0x00, 0x78, 0x56, 0x34, 0x12,  // key 0x12345678
               0x02, 0x00, 0x00, 0x00, 0x00,        // two entries
               0x03, 0x01, 0x05, 'a',  '.',  'd',  'a', 't', 0x04, 0x00, 0x0C}) +
        "Data/TraInfo";
    KeyAnswer parsed = ParseKeyAnswer(answer);
    EXPECT_EQ(parsed.key, 0x12345678u);
    ASSERT_EQ(parsed.entries.size(), 2u);
    EXPECT_EQ(parsed.entries[0].type, 3);
    EXPECT_TRUE(parsed.entries[0].delete_after_upload);
    EXPECT_EQ(parsed.entries[0].name, "a.dat");
    EXPECT_EQ(parsed.entries[1].type, 4);
    EXPECT_FALSE(parsed.entries[1].delete_after_upload);
    EXPECT_EQ(parsed.entries[1].name, "Data/TraInfo");

    // An answer is taken as it is: the entries that fit, none for a negative count, and 0 for
    // bytes it lacks.
    std::string more = answer;
    more[6] = 3;
    EXPECT_EQ(ParseKeyAnswer(more).entries.size(), 2u);
    more = answer.substr(0, answer.size() - 1);
    EXPECT_EQ(ParseKeyAnswer(more).entries.size(), 1u);
    more = answer;
    more[6] = static_cast<char>(0x80);
    parsed = ParseKeyAnswer(more);
    EXPECT_EQ(parsed.key, 0x12345678u);
    EXPECT_TRUE(parsed.entries.empty());
    parsed = ParseKeyAnswer(Bytes({0x01, 0x00, 0x2A}));
    EXPECT_EQ(parsed.key, 42u);
    EXPECT_TRUE(parsed.entries.empty());
    EXPECT_EQ(ParseKeyAnswer("").key, 0u);
}

}  // namespace
}  // namespace mapvale::net
