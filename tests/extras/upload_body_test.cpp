#include "extras/upload_body.h"

#include <gtest/gtest.h>

#include "extras/upload_answer.h"
#include "platform/encoding.h"
#include "support/sandbox.h"

namespace mapvale::extras {
namespace {

constexpr GuidBytes kGuid{0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                          0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f};

std::string Whole(const UploadBody& body, const std::string& file) {
    return body.head + file + body.tail;
}

TEST(UploadBody, GoldenBodyForAFixedGuidAndFile) {
    testing::Sandbox box;
    const std::string file("\xFF\xD8\xFF\xE1 photo", 10);
    UploadFields fields;
    fields.contents = "바다";
    fields.kind = 2;
    fields.location = "부산";
    fields.subject = "sea";
    fields.file_path = box.Write("UserPhoto.jpg", file);
    fields.user_id = "hong";
    const UploadBody body = BuildUploadBody(fields, kGuid);

    const std::string b = "-Norbek-030201000504070608090a0b0c0d0e0f-";
    EXPECT_EQ(body.boundary, b);
    const auto cp949 = [](std::string_view s) { return platform::Utf8ToCp949(s).text; };
    const std::string expected =
        "--" + b + "\r\nContent-Disposition: form-data; name=\"contents\"\r\n\r\n" + cp949("바다") +
        "\r\n" + "--" + b + "\r\nContent-Disposition: form-data; name=\"kind\"\r\n\r\n2\r\n" +
        "--" + b + "\r\nContent-Disposition: form-data; name=\"location\"\r\n\r\n" + cp949("부산") +
        "\r\n" + "--" + b + "\r\nContent-Disposition: form-data; name=\"subject\"\r\n\r\nsea\r\n" +
        "--" + b + "\r\nContent-Disposition: form-data; name=\"upload_file\"; filename=\"" +
        fields.file_path + "\"\r\nContent-Type: image/jpeg\r\n\r\n" + file + "\r\n" + "--" + b +
        "\r\nContent-Disposition: form-data; name=\"userid\"\r\n\r\nhong\r\n" + "--" + b + "--\r\n";
    EXPECT_EQ(Whole(body, file), expected);
    EXPECT_EQ(body.Length(), expected.size());
    EXPECT_EQ(body.file_size, file.size());
}

TEST(UploadBody, LongValuesAreCutToTheirPartAtAWholeCharacterAndNamesCannotBreakTheHeader) {
    testing::Sandbox box;
    UploadFields fields;
    fields.contents = std::string(500, 'a');
    fields.subject = "x";
    for (int i = 0; i < 300; ++i) {
        fields.subject += "가";  // two bytes each in CP949, so the cut falls inside one
    }
    fields.file_path = box.Write("a\"b\r\nc.jpg", "not a picture");
    const UploadBody body = BuildUploadBody(fields, kGuid);
    // Each text part with its terminating zero fits the part buffer.
    std::size_t start = 0;
    const std::string separator = "--" + body.boundary + "\r\n";
    const std::string whole = body.head + body.tail;
    int parts = 0;
    while ((start = whole.find(separator, start)) != std::string::npos) {
        const std::size_t end = whole.find("--" + body.boundary, start + 1);
        const std::string part = whole.substr(start, end - start);
        if (part.find("upload_file") == std::string::npos) {
            EXPECT_LE(part.size() + 1, kTextPartBuffer);
            ++parts;
        }
        start = end;
    }
    EXPECT_EQ(parts, 5);
    EXPECT_NE(body.head.find(std::string(MaxFieldBytes("contents"), 'a') + "\r\n"),
              std::string::npos);
    // "x" and then whole characters: an odd number of bytes, one short of the room.
    const std::size_t subject_room = MaxFieldBytes("subject");
    const std::size_t at = body.head.find("name=\"subject\"\r\n\r\n") + 18;
    const std::size_t size = body.head.find("\r\n", at) - at;
    EXPECT_EQ(size % 2, 1u);
    EXPECT_LE(size, subject_room);
    EXPECT_GE(size + 1, subject_room);
    EXPECT_TRUE(platform::Cp949ToUtf8(body.head.substr(at, size)).ok());
    // The name's quote and line breaks turned harmless; the type by content, not by name.
    EXPECT_NE(body.head.find("a_b__c.jpg\"\r\nContent-Type: application/octet-stream\r\n\r\n"),
              std::string::npos);
}

TEST(UploadBody, TheTypeComesFromTheFirstBytes) {
    EXPECT_EQ(SniffMimeType("\xFF\xD8\xFF\xE0"), "image/jpeg");
    EXPECT_EQ(SniffMimeType("\x89PNG\r\n\x1A\n...."), "image/png");
    EXPECT_EQ(SniffMimeType("GIF89a"), "image/gif");
    EXPECT_EQ(SniffMimeType("BM...."), "image/bmp");
    EXPECT_EQ(SniffMimeType(""), "application/octet-stream");
    EXPECT_EQ(SniffMimeType("\xFF\xD8"), "application/octet-stream");
    // A file that cannot be read is sent empty, as an unknown type.
    UploadFields fields;
    fields.file_path = "/no/such/file.jpg";
    const UploadBody body = BuildUploadBody(fields, kGuid);
    EXPECT_EQ(body.file_size, 0u);
    EXPECT_NE(body.head.find("application/octet-stream"), std::string::npos);
}

TEST(UploadBody, BoundariesFollowTheGuid) {
    GuidBytes guid{};
    guid.fill(0xAB);
    EXPECT_EQ(UploadBoundary(guid), "-Norbek-abababababababababababababababab-");
    EXPECT_NE(UploadBoundary(RandomGuid()), UploadBoundary(RandomGuid()));
}

TEST(UploadAnswer, TheBoardSaysOkOrNotOkWithAReasonAfterItsMark) {
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(ReadUploadVerdict(bom + "OK").kind, UploadVerdict::Kind::kPosted);
    const UploadVerdict refused = ReadUploadVerdict(bom + "NotOK|사진이 너무 큽니다");
    EXPECT_EQ(refused.kind, UploadVerdict::Kind::kRefused);
    EXPECT_EQ(refused.reason, "사진이 너무 큽니다");
    // A reason in CP949.
    const UploadVerdict cp949 =
        ReadUploadVerdict(bom + "NotOK|" + platform::Utf8ToCp949("중복된 제목").text);
    EXPECT_EQ(cp949.reason, "중복된 제목");
    EXPECT_EQ(ReadUploadVerdict(bom + "NotOK").reason, "");
    // Too short, or something else: nothing to tell.
    EXPECT_EQ(ReadUploadVerdict(bom + "O").kind, UploadVerdict::Kind::kNone);
    EXPECT_EQ(ReadUploadVerdict("OK").kind, UploadVerdict::Kind::kNone);
    EXPECT_EQ(ReadUploadVerdict("").kind, UploadVerdict::Kind::kNone);
    EXPECT_EQ(ReadUploadVerdict(bom + "<html>").kind, UploadVerdict::Kind::kNone);
}

}  // namespace
}  // namespace mapvale::extras
