#include "model/server_config.h"

#include <gtest/gtest.h>

namespace mapvale {
namespace {

TEST(ServerConfigTest, PortReplacesTheCallersDefault) {
    const ServerConfig config = ServerConfig::Parse(
        "; comment\r\n[Servers]\r\nContent = 127.0.0.1:18080\r\nregistration=reg.example\n"
        "traffic = [::1]:10401\nupdate = ::1\nbad = host:99999\nnoport = host:\n"
        "# another comment\n[Other]\nservice = elsewhere\n");
    auto content = config.Find(ServerConfig::kContent, 80);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->host, "127.0.0.1");
    EXPECT_EQ(content->port, 18080);
    auto registration = config.Find("REGISTRATION", 80);
    ASSERT_TRUE(registration);
    EXPECT_EQ(registration->host, "reg.example");
    EXPECT_EQ(registration->port, 80);
    auto traffic = config.Find(ServerConfig::kTraffic, 10400);
    ASSERT_TRUE(traffic);
    EXPECT_EQ(traffic->host, "[::1]");
    EXPECT_EQ(traffic->port, 10401);
    auto update = config.Find(ServerConfig::kUpdate, 80);
    ASSERT_TRUE(update);
    EXPECT_EQ(update->host, "::1");
    EXPECT_EQ(update->port, 80);
    EXPECT_FALSE(config.Find("bad", 80));
    EXPECT_FALSE(config.Find("noport", 80));
    EXPECT_FALSE(config.Find(ServerConfig::kService, 80));  // only [Servers] counts
    EXPECT_EQ(config.HostText(ServerConfig::kContent), "127.0.0.1:18080");
}

TEST(ServerConfigTest, ShippedFileNamesEveryRole) {
    const char* dir = std::getenv("MAPVALE_PROGRAM_DIR");
    ASSERT_NE(dir, nullptr);
    auto config = ServerConfig::Load(std::string(dir) + "/Info/Servers.ini");
    ASSERT_TRUE(config);
    for (auto role :
         {ServerConfig::kRegistration, ServerConfig::kService, ServerConfig::kContent,
          ServerConfig::kUpdate, ServerConfig::kTraffic, ServerConfig::kMapContent,
          ServerConfig::kPortal, ServerConfig::kPortalStart, ServerConfig::kBrandPortalOv,
          ServerConfig::kBrandPortalDl, ServerConfig::kTarnoPortal}) {
        EXPECT_TRUE(config->Find(role, 80)) << role;
    }
    EXPECT_FALSE(ServerConfig::Load("/nonexistent/Servers.ini"));
}

}  // namespace
}  // namespace mapvale
