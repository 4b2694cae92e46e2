// The photo board's streaming upload against the stand-in portal of a generated world.
#include "net/multipart_post.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "mapvale-servers/world.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/sandbox.h"
#include "support/server_process.h"
#include "support/stalling_server.h"

namespace mapvale::net {
namespace {

using testing::Sandbox;
using testing::ServerProcess;

constexpr std::string_view kPath = "/WMKproduct/picroute/picroute_regist.mms";

class MultipartPostTest : public ::testing::Test {
protected:
    MultipartPostTest() : layout_(box_.Path("world")) {}

    void SetUp() override {
        servers::WorldOptions options;
        options.folder = layout_.folder;
        std::string error;
        ASSERT_TRUE(servers::MakeWorld(options, error)) << error;
        server_ = std::make_unique<ServerProcess>(
            std::vector<std::string>{"serve", "--world", layout_.folder});
        ASSERT_TRUE(server_->ok()) << server_->error();
    }

    // A well-formed upload body around a file of `file_size` bytes.
    StreamedBody Body(std::size_t file_size, std::string_view boundary = "-Norbek-b-") {
        const std::string b(boundary);
        const auto text = [&](std::string_view name, std::string_view value) {
            return "--" + b + "\r\nContent-Disposition: form-data; name=\"" + std::string(name) +
                   "\"\r\n\r\n" + std::string(value) + "\r\n";
        };
        std::string file(file_size, '\0');
        for (std::size_t i = 0; i < file.size(); ++i) {
            file[i] = static_cast<char>(i * 31 % 251);
        }
        StreamedBody body;
        body.content_type = "multipart/form-data; boundary=" + b;
        body.file_path = box_.Write("photo.jpg", file);
        body.file_size = file.size();
        body.head = text("contents", "c") + text("kind", "1") + text("location", "l") +
                    text("subject", "s") + "--" + b +
                    "\r\nContent-Disposition: form-data; name=\"upload_file\"; filename=\"" +
                    body.file_path + "\"\r\nContent-Type: image/jpeg\r\n\r\n";
        body.tail = "\r\n" + text("userid", "hong") + "--" + b + "--\r\n";
        return body;
    }
    std::string Upload(int n, std::string_view file) const {
        return platform::ReadWholeFile(layout_.folder + "/picroute-uploads/upload-" +
                                       std::to_string(n) + "/" + std::string(file))
            .value_or("<missing>");
    }
    void Conf(std::string_view text) const {
        std::ofstream(layout_.folder + "/picroute.conf", std::ios::trunc) << text;
    }

    Sandbox box_;
    servers::WorldLayout layout_;
    std::unique_ptr<ServerProcess> server_;
};

TEST_F(MultipartPostTest, TheFileGoesInPiecesAndThePortalRecordsFieldsAndFile) {
    // Several pieces and a last short one.
    const StreamedBody body = Body(3 * kUploadPiece + 123);
    PostAnswer answer;
    ASSERT_EQ(SendStreamedPost(server_->address(), kPath, body, answer), 1);
    EXPECT_EQ(answer.status, 200);
    EXPECT_TRUE(answer.text);
    EXPECT_EQ(answer.body, "\xEF\xBB\xBFOK");
    EXPECT_EQ(Upload(1, "photo.bin"), platform::ReadWholeFile(body.file_path));
    EXPECT_EQ(Upload(1, "fields.txt"),
              "contents: c\nkind: 1\nlocation: l\nsubject: s\n"
              "upload_file: " +
                  body.file_path + "\ncontent-type: image/jpeg\nuserid: hong\n");
    EXPECT_EQ(Upload(1, "headers.txt"),
              "User-Agent: " + platform::Utf8ToCp949("사용자향 Agent").text +
                  "\nCache-Control: no-cache\nPragma: no-cache\n");
    // An empty file is still a part of its own.
    ASSERT_EQ(SendStreamedPost(server_->address(), kPath, Body(0), answer), 1);
    EXPECT_EQ(Upload(2, "photo.bin"), "");
}

TEST_F(MultipartPostTest, RefusalsAndFailuresComeBackAsTheyWereSent) {
    PostAnswer answer;
    Conf("upload = refuse\nreason = 중복된 사진입니다\n");
    ASSERT_EQ(SendStreamedPost(server_->address(), kPath, Body(10), answer), 1);
    EXPECT_EQ(answer.body, "\xEF\xBB\xBFNotOK|중복된 사진입니다");
    Conf("upload = drop\n");
    ASSERT_EQ(SendStreamedPost(server_->address(), kPath, Body(10), answer), 1);
    EXPECT_EQ(answer.status, 500);
    EXPECT_EQ(answer.body, "");
    EXPECT_EQ(Upload(1, "photo.bin"), "<missing>");

    // A body the portal cannot take apart: the boundary the header names is not the body's.
    StreamedBody wrong = Body(10);
    wrong.content_type = "multipart/form-data; boundary=other";
    ASSERT_EQ(SendStreamedPost(server_->address(), kPath, wrong, answer), 1);
    EXPECT_EQ(answer.status, 400);

    // A file shorter than announced, or gone: nothing is sent as if complete.
    StreamedBody shorter = Body(10);
    shorter.file_size = 20;
    EXPECT_EQ(SendStreamedPost(server_->address(), kPath, shorter, answer), 0);
    StreamedBody gone = Body(10);
    gone.file_path = box_.Path("gone.jpg");
    EXPECT_EQ(SendStreamedPost(server_->address(), kPath, gone, answer), 0);
    // Nobody listening.
    EXPECT_EQ(SendStreamedPost("127.0.0.1:1", kPath, Body(10), answer), 0);
    EXPECT_EQ(answer.status, 600);
}

TEST_F(MultipartPostTest, AnswersWithoutALengthOrOverTheCapAreNotRead) {
    testing::StallingServer server;
    ASSERT_TRUE(server.ok());
    const std::string bom = "\xEF\xBB\xBF";
    server.AnswerRaw("/no-length",
                     "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                     "Connection: close\r\n\r\n" +
                         bom + "OK");
    server.Answer("/huge", bom + "NotOK|" + std::string(kUploadAnswerCap, 'x'));
    server.Answer("/small", bom + "OK");
    server.AnswerRaw("/no-status", "garbage\r\n\r\n");
    PostAnswer answer;
    ASSERT_EQ(SendStreamedPost(server.address(), "/no-length", Body(10), answer), 1);
    EXPECT_EQ(answer.status, 200);
    EXPECT_TRUE(answer.text);
    EXPECT_EQ(answer.body, "");
    ASSERT_EQ(SendStreamedPost(server.address(), "/huge", Body(10), answer), 1);
    EXPECT_EQ(answer.status, 200);
    EXPECT_FALSE(answer.text);
    EXPECT_EQ(answer.body, "");
    ASSERT_EQ(SendStreamedPost(server.address(), "/small", Body(10), answer), 1);
    EXPECT_EQ(answer.body, bom + "OK");
    EXPECT_EQ(SendStreamedPost(server.address(), "/no-status", Body(10), answer), 0);
    EXPECT_EQ(answer.status, 600);
}

}  // namespace
}  // namespace mapvale::net
