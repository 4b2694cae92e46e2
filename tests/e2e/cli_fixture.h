#pragma once

// The setting of the end-to-end tests: a demo world served by the real mapvale-servers, a
// program folder that talks to it, a virtual card of one of its vehicles, and the real
// mapvale-cli run against them in a process of its own, everything in the test's sandbox.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/cli_process.h"
#include "support/sandbox.h"
#include "support/server_process.h"

namespace mapvale::testing {

class CliEndToEnd : public ::testing::Test {
protected:
    // The vehicle of the world's "hong" account whose card the tests update.
    static constexpr const char* kModel = "HX100";
    static constexpr char kCardLetter = 'V';
    // What the card says before the update: an older map of the same vehicle.
    static constexpr const char* kOldVersionFile = "*|20231015|2023101|HX100|2023.10|1|0|1\n";
    // Generous for sanitizer builds; a normal run takes seconds.
    static constexpr std::chrono::seconds kRunTimeout{240};

    void SetUp() override;
    void TearDown() override;

    // (Re)writes the world and the program folder made from it; with `offer_update` the update
    // server offers newer program files.
    void MakeTheWorld(bool offer_update);

    // Serves the world with `options` (fault injection), its requests logged to `log_name` in
    // the sandbox. Stops a server started before.
    void Serve(const std::vector<std::string>& options = {},
               const std::string& log_name = "requests.log");

    // mapvale-cli with the arguments every run shares (program folder, data folder, settings,
    // sign-in, the card, --yes) followed by `extra`; its output goes to `output_name`.
    std::unique_ptr<CliProcess> Start(const std::vector<std::string>& extra = {},
                                      const std::string& output_name = "cli.out",
                                      const std::string& command = "run");
    struct Result {
        std::optional<int> status;
        std::string output;
    };
    // Start and wait for the end.
    Result Run(const std::vector<std::string>& extra = {},
               const std::string& output_name = "cli.out");
    // `mapvale-cli status` with the shared arguments.
    Result Status(const std::string& output_name = "status.out");

    // The card's line in the virtual-volume file; PullCard takes it out (the card is removed).
    void DeclareCard(std::string_view capacity);
    void PullCard();

    std::vector<LoggedRequest> Requests(const std::string& log_name = "requests.log") const;
    // The requests whose path starts with `prefix`.
    static std::vector<LoggedRequest> WithPath(const std::vector<LoggedRequest>& requests,
                                               std::string_view prefix);

    // The package's files as the world made them, by path below the card root, with their
    // sizes; the self-extracting folder parts, which install as folders, are left out.
    std::map<std::string, std::uint64_t> PackageFiles() const;
    // The paths of the package's spans on the server.
    std::vector<std::string> SpanPaths() const;
    // Every file below `folder`, by relative path, with its size.
    static std::map<std::string, std::uint64_t> FilesBelow(const std::string& folder);

    std::string CardPath(std::string_view relative = {}) const;
    std::string DataPath(std::string_view relative = {}) const;
    std::string WorldPath(std::string_view relative = {}) const;
    // The first line of the card's version file (its header), or empty.
    std::string CardVersionHeader() const;

    Sandbox box_;
    // An installed mapvale-cli to run instead of the build's; it then finds its program folder
    // itself (no --program-folder, no $MAPVALE_PROGRAM_DIR).
    std::string installed_cli_;
    std::unique_ptr<ServerProcess> server_;
    std::string instance_scope_;
};

}  // namespace mapvale::testing
