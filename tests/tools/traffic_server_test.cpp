// The stand-in traffic server spoken to in bytes written out by hand from the message layouts,
// not through the client's codec: a byte-order or offset fault that both sides shared would pass
// every test that has the client talk to this server.

#include "mapvale-servers/traffic_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/wire_bytes.h"

#include <initializer_list>

namespace mapvale::servers {
namespace {

using testing::Bytes;

std::string Header(std::initializer_list<int> length, std::initializer_list<int> counter) {
    return testing::TrafficHeader(length, counter);
}

// Sends `bytes` on a fresh connection and returns everything the server writes back until it
// closes the connection (or stays silent for 5 s, which fails the comparison that follows).
std::string Exchange(std::uint16_t port, const std::string& bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(bytes.size())) {
        char buffer[4096];
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) {
                break;
            }
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return answer;
}

class TrafficServerTest : public ::testing::Test {
protected:
    void Start(TrafficServerConfig config) {
        server_ = std::make_unique<TrafficServer>(std::move(config));
        ASSERT_TRUE(server_->Start("127.0.0.1", 0));
    }

    std::unique_ptr<TrafficServer> server_;
};

TEST_F(TrafficServerTest, KeyRequestsAreAnsweredByteForByte) {
    TrafficServerConfig config;
    config.issued_key = 0x01020304;
    config.wanted = {{3, true, "Data/TraInfo"}, {6, false, "a.dat"}};
    Start(config);

    // No key yet (unit mode 1): the issued key and the wanted entries.
    const std::string request =
        Header({13, 0, 0, 0}, {0, 0, 0, 0}) + Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(Exchange(server_->port(), request),
              Header({34, 0, 0, 0}, {0, 0, 0, 0}) +
                  Bytes({0x01, 0x00, 0x04, 0x03, 0x02, 0x01, 0x02, 0, 0, 0, 0,  //
                         0x03, 0x01, 12}) +
                  "Data/TraInfo" + Bytes({0x06, 0x00, 5}) + "a.dat");

    // A known key (TARNO unit) comes back as it was sent.
    const std::string with_key = Header({13, 0, 0, 0}, {0, 0, 0, 0}) +
                                 Bytes({1, 0, 0x0D, 0x0C, 0x0B, 0x0A, 0, 0, 1, 0, 0, 0, 0});
    const std::string answer = Exchange(server_->port(), with_key);
    ASSERT_GE(answer.size(), 27u);
    EXPECT_EQ(answer.substr(20, 7), Bytes({0x01, 0x00, 0x0D, 0x0C, 0x0B, 0x0A, 0x02}));
    EXPECT_EQ(server_->key_requests(), (std::vector<std::uint32_t>{0, 0x0A0B0C0Du}));
}

TEST_F(TrafficServerTest, UploadsAreReadFromTheirBytesAndAnsweredWithTheVerdict) {
    Start(TrafficServerConfig{});
    // Key 0x0A0B0C0D, kind 0x1140, two files: type 4 "gps" and an empty type 3.
    const std::string upload = Bytes({0x02, 0x00, 0x0D, 0x0C, 0x0B, 0x0A, 0x40, 0x11,  //
                                      0x02, 0x00, 0x00, 0x00, 0x00,                    //
                                      0x04, 0x03, 0x00, 0x00, 0x00, 'g',  'p',  's',   //
                                      0x03, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(Exchange(server_->port(), Header({26, 0, 0, 0}, {0, 0, 0, 0}) + upload),
              Header({2, 0, 0, 0}, {0, 0, 0, 0}) + Bytes({0x02, 0x00}));

    // 2038 bytes in two packets: the 10-byte remainder first, then 2028 (0x07EC) bytes.
    std::string big = Bytes({0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x40, 0x01,  //
                             0x01, 0x00, 0x00, 0x00, 0x00,                    //
                             0x05, 0xE4, 0x07, 0x00, 0x00}) +
                      std::string(2020, 'z');
    ASSERT_EQ(big.size(), 2038u);
    EXPECT_EQ(
        Exchange(server_->port(), Header({10, 0, 0, 0}, {1, 0, 0, 0}) + big.substr(0, 10) +
                                      Header({0xEC, 0x07, 0, 0}, {0, 0, 0, 0}) + big.substr(10)),
        Header({2, 0, 0, 0}, {0, 0, 0, 0}) + Bytes({0x02, 0x00}));

    const auto uploads = server_->uploads();
    ASSERT_EQ(uploads.size(), 2u);
    EXPECT_EQ(uploads[0].key, 0x0A0B0C0Du);
    EXPECT_EQ(uploads[0].kind, 0x1140);
    ASSERT_EQ(uploads[0].files.size(), 2u);
    EXPECT_EQ(uploads[0].files[0].type, 4);
    EXPECT_EQ(uploads[0].files[0].bytes, "gps");
    EXPECT_EQ(uploads[0].files[1].type, 3);
    EXPECT_EQ(uploads[0].files[1].bytes, "");
    EXPECT_EQ(uploads[1].key, 1u);
    EXPECT_EQ(uploads[1].kind, 0x0140);
    ASSERT_EQ(uploads[1].files.size(), 1u);
    EXPECT_EQ(uploads[1].files[0].type, 5);
    EXPECT_EQ(uploads[1].files[0].bytes, std::string(2020, 'z'));

    TrafficServerConfig refusing;
    refusing.upload = TrafficServerConfig::Upload::kRefuse;
    Start(refusing);
    EXPECT_EQ(Exchange(server_->port(), Header({26, 0, 0, 0}, {0, 0, 0, 0}) + upload),
              Header({2, 0, 0, 0}, {0, 0, 0, 0}) + Bytes({0x02, 0x01}));
}

}  // namespace
}  // namespace mapvale::servers
