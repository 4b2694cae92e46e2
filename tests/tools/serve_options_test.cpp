#include "mapvale-servers/serve_options.h"

#include <gtest/gtest.h>

namespace mapvale::servers {
namespace {

TEST(ServeOptionsTest, ReadsEveryOption) {
    const ServeCommandLine line = ParseServeCommandLine(
        {"--content", "/srv/content", "--listen=[::1]:8080", "--request-log", "/tmp/log",
         "--status", "503:/busy/*", "--status=404:*.mms", "--reset-after", "1000", "--reset-every",
         "3", "--reset-path", "*.zip", "--throttle", "65536", "--ignore-range",
         "--stop-on-stdin-eof"});
    ASSERT_TRUE(line.ok()) << line.error;
    const ServeOptions& options = line.options;
    EXPECT_EQ(options.content_folder, "/srv/content");
    EXPECT_EQ(options.listen.host, "::1");
    EXPECT_EQ(options.listen.port, 8080);
    EXPECT_EQ(options.listen.ToString(), "[::1]:8080");
    EXPECT_EQ(options.request_log, "/tmp/log");
    ASSERT_EQ(options.faults.status_rules.size(), 2u);
    EXPECT_EQ(options.faults.status_rules[0].status, 503);
    EXPECT_EQ(options.faults.status_rules[0].glob, "/busy/*");
    EXPECT_EQ(options.faults.status_rules[1].glob, "*.mms");
    EXPECT_EQ(options.faults.reset_after, 1000u);
    EXPECT_EQ(options.faults.reset_every, 3u);
    EXPECT_EQ(options.faults.reset_paths, std::vector<std::string>{"*.zip"});
    EXPECT_EQ(options.faults.throttle_bytes_per_second, 65536u);
    EXPECT_TRUE(options.faults.ignore_range);
    EXPECT_TRUE(options.stop_on_stdin_eof);
    EXPECT_FALSE(options.allow_remote);

    const ServeCommandLine defaults = ParseServeCommandLine({"--content", "c"});
    ASSERT_TRUE(defaults.ok());
    EXPECT_EQ(defaults.options.listen.ToString(), "127.0.0.1:0");
    EXPECT_FALSE(defaults.options.faults.reset_after);

    EXPECT_TRUE(ParseServeCommandLine({"--help"}).help);
}

TEST(ServeOptionsTest, RefusesBadCommandLines) {
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{}, "--content"},
        {{"--content"}, "needs a value"},
        {{"--content", "c", "extra"}, "unexpected argument"},
        {{"--content", "c", "--bogus", "1"}, "unknown option"},
        {{"--content", "c", "--ignore-range=yes"}, "takes no value"},
        {{"--content", "c", "--listen", "127.0.0.1"}, "HOST:PORT"},
        {{"--content", "c", "--listen", "127.0.0.1:65536"}, "HOST:PORT"},
        {{"--content", "c", "--listen", "::1:80"}, "HOST:PORT"},
        {{"--content", "c", "--listen", "0.0.0.0:80"}, "--allow-remote"},
        {{"--content", "c", "--listen", "example.com:80"}, "--allow-remote"},
        {{"--content", "c", "--status", "99:*"}, "CODE:GLOB"},
        {{"--content", "c", "--status", "600:*"}, "CODE:GLOB"},
        {{"--content", "c", "--status", "503:"}, "CODE:GLOB"},
        {{"--content", "c", "--status", "503"}, "CODE:GLOB"},
        {{"--content", "c", "--reset-after", "-1"}, "--reset-after"},
        {{"--content", "c", "--reset-after", "99999999999999999999"}, "--reset-after"},
        {{"--content", "c", "--reset-every", "2"}, "need --reset-after"},
        {{"--content", "c", "--reset-path", "*"}, "need --reset-after"},
        {{"--content", "c", "--reset-after", "1", "--reset-every", "0"}, "--reset-every"},
        {{"--content", "c", "--throttle", "0"}, "--throttle"},
    };
    for (const auto& c : cases) {
        const ServeCommandLine line = ParseServeCommandLine(c.args);
        EXPECT_NE(line.error.find(c.error), std::string::npos)
            << "args ending " << (c.args.empty() ? "" : c.args.back()) << ": " << line.error;
    }
    // Other machines only when asked.
    EXPECT_TRUE(
        ParseServeCommandLine({"--content", "c", "--listen", "0.0.0.0:80", "--allow-remote"}).ok());
}

TEST(ServeOptionsTest, LoopbackHosts) {
    for (const char* host : {"localhost", "127.0.0.1", "127.1.2.3", "::1", "::ffff:127.0.0.1"}) {
        EXPECT_TRUE(IsLoopbackHost(host)) << host;
    }
    for (const char* host : {"0.0.0.0", "10.0.0.1", "::", "::ffff:10.0.0.1", "example.com", ""}) {
        EXPECT_FALSE(IsLoopbackHost(host)) << host;
    }
}

}  // namespace
}  // namespace mapvale::servers
