// The package information file fetched from the stand-in servers, and the package step that
// runs it for every device of a sign-in.
#include <gtest/gtest.h>

#include "catalog/package_info_parser.h"
#include "catalog/package_info_reader.h"
#include "catalog/package_step.h"
#include "model/messages.h"
#include "platform/encoding.h"
#include "platform/message_queue.h"
#include "support/sandbox.h"
#include "support/server_process.h"

namespace mapvale::catalog {
namespace {

using mapvale::testing::ReadRequestLog;
using mapvale::testing::Sandbox;
using mapvale::testing::ServerProcess;
using mapvale::testing::WaitUntil;

std::string Cp949(std::string_view utf8) {
    return platform::Utf8ToCp949(utf8).text;
}

// A package of three files for a device of PACKAGE_TYPE `type`, as a server sends it: CP949
// with CR LF line ends.
std::string PackageFile(std::string_view type) {
    return Cp949("PACKAGE_TYPE=" + std::string(type) +
                 "\r\n"
                 "NOTIFY_URL=http://notify.example/done\r\n"
                 "MODEL_CAPTION=타르노 7\r\n"
                 "ROOT_URL=http://content.example/tarno\r\n"
                 "[FILE_0001]\r\n"
                 "DEST_PATH=\\메모리카드데이터\\Tarno\\MapData\r\n"
                 "AG_FILENAME=ND_2GB.VB\r\nAG_FILESIZE=100\r\nAG_VER=3\r\n#\r\n"
                 "[FILE_0002]\r\n"
                 "AG_FILENAME=Install_OrLa.exe\r\nAG_FILESIZE=5\r\n#\r\n"
                 "[FILE_0003]\r\n"
                 "AG_FILENAME=안내.txt\r\nAG_FILESIZE=7\r\n#\r\n"
                 "# END\r\n");
}

class PackageFetchTest : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox_.Write("content/tarno/Models/TARNO_A.inf", PackageFile("tarno_low"));
        sandbox_.Write("content/orla/Models/ORLA_C.inf", PackageFile("ORLA_v4"));
        server_ = std::make_unique<ServerProcess>(
            std::vector<std::string>{"serve", "--content", sandbox_.Path("content"),
                                     "--request-log", sandbox_.Path("requests.log")});
        ASSERT_TRUE(server_->ok()) << server_->error();
    }

    std::string Root(std::string_view folder) const {
        return "http://" + server_->address() + "/" + std::string(folder);
    }

    Sandbox sandbox_;
    std::unique_ptr<ServerProcess> server_;
};

TEST(PackageInfoLocationTest, SplitsTheRootIntoHostAndPath) {
    const PackageInfoLocation plain = LocatePackageInfo("http://maps.example/tarno/", "A.inf");
    EXPECT_EQ(plain.host, "maps.example");
    EXPECT_EQ(plain.path, "/tarno/A.inf");
    const PackageInfoLocation bare = LocatePackageInfo("127.0.0.1:8080", "A.inf");
    EXPECT_EQ(bare.host, "127.0.0.1:8080");
    EXPECT_EQ(bare.path, "/A.inf");
    // Every occurrence of the scheme goes, wherever it stands.
    EXPECT_EQ(LocatePackageInfo("http://h/http://x//y", "A.inf").path, "/x/y/A.inf");
}

TEST_F(PackageFetchTest, ReadsTheFileFromTheServer) {
    PackageInfo context;
    context.entries.resize(4);
    ASSERT_EQ(ReadPackageInfo(context, Root("tarno/Models/"), "TARNO_A.inf"), 1);
    EXPECT_EQ(LookupVariable(context, "MODEL_CAPTION"), "타르노 7");
    ASSERT_EQ(context.entries.size(), 3u);
    EXPECT_EQ(context.entries[0].destination_path, "메모리카드데이터/Tarno/MapData");
    EXPECT_EQ(context.entries[2].file_name, "안내.txt");

    ASSERT_TRUE(
        WaitUntil([&] { return ReadRequestLog(sandbox_.Path("requests.log")).size() == 1; }));
    const auto log = ReadRequestLog(sandbox_.Path("requests.log"));
    EXPECT_EQ(log[0].method, "GET");
    EXPECT_EQ(log[0].path, "/tarno/Models/TARNO_A.inf");
    EXPECT_TRUE(log[0].query.empty());
}

TEST_F(PackageFetchTest, AFileThatCannotBeFetchedLeavesTheContextEmpty) {
    PackageInfo context;
    ASSERT_EQ(ReadPackageInfo(context, Root("tarno/Models"), "TARNO_A.inf"), 1);
    EXPECT_EQ(ReadPackageInfo(context, Root("tarno/Models"), "MISSING.inf"), 0);
    EXPECT_TRUE(context.entries.empty());
    EXPECT_EQ(LookupVariable(context, "PACKAGE_TYPE"), "");
    EXPECT_EQ(ReadPackageInfo(context, "", "TARNO_A.inf"), 0);
}

TEST_F(PackageFetchTest, PackageStepFilesEveryDevice) {
    std::list<DeviceEntry> devices(3);
    DeviceEntry& tarno = devices.front();
    DeviceEntry& missing = *std::next(devices.begin());
    DeviceEntry& orla = devices.back();
    tarno.model_name = "TARNO_A";
    tarno.information_root = Root("tarno/Models");
    missing.model_name = "MISSING";  // keeps what sign-in gave it
    missing.information_root = Root("tarno/Models");
    missing.caption = "unchanged";
    orla.model_name = "ORLA_C";
    orla.information_root = Root("orla/Models");
    orla.product_line = "PDA";
    const std::vector<PackageCategory> categories = {
        {2, {1, 0, 1, 0, 2, 0}, "MAP", "지도"},
        {1, {1, 0, 1, 1, 1, 1}, "ALL*", "전체"},
    };

    PackageInfo context;
    platform::MessageQueue window;
    std::atomic<int> cancel{0};
    int pumped = 0;
    ASSERT_EQ(RunPackageStep(context, &window, cancel, devices, categories, [&] { ++pumped; }), 1);
    EXPECT_EQ(pumped, 3);
    EXPECT_EQ(window.Drain(), (std::vector<platform::Message>{{kMsgPackageStepProgress, 1, 3},
                                                              {kMsgPackageStepProgress, 2, 3}}));

    EXPECT_EQ(tarno.kind, 2);
    EXPECT_EQ(tarno.sub_kind, 1);
    EXPECT_EQ(tarno.notify_url, "http://notify.example/done");
    ASSERT_EQ(tarno.files.size(), 2u);  // the installer is dropped
    EXPECT_EQ(tarno.files[0].category, "지도");
    EXPECT_EQ(tarno.files[1].category, kUnknownCategory);
    // The map is of every variant (attribute 3).
    EXPECT_EQ(tarno.variant_totals, (std::array<std::int64_t, 3>{107, 107, 107}));

    EXPECT_EQ(missing.kind, 8);
    EXPECT_EQ(missing.caption, "unchanged");
    EXPECT_TRUE(missing.files.empty());

    EXPECT_EQ(orla.kind, 1);
    EXPECT_EQ(orla.caption, "타르노 7");
    ASSERT_EQ(orla.files.size(), 2u);
    EXPECT_EQ(orla.files[1].category, "전체");
}

TEST_F(PackageFetchTest, PackageStepStopsOnCancel) {
    std::list<DeviceEntry> devices(2);
    for (DeviceEntry& device : devices) {
        device.model_name = "TARNO_A";
        device.information_root = Root("tarno/Models");
    }
    PackageInfo context;
    std::atomic<int> cancel{0};
    // The user cancels while the window handles its messages: the next device is not fetched.
    EXPECT_EQ(RunPackageStep(context, nullptr, cancel, devices, {}, [&] { cancel = 1; }), 0);
    EXPECT_EQ(devices.front().files.size(), 3u);  // no category: every entry is unfiled
    EXPECT_TRUE(devices.back().files.empty());

    cancel = 0;
    std::list<DeviceEntry> none;
    EXPECT_EQ(RunPackageStep(context, nullptr, cancel, none, {}, nullptr), 0);
}

}  // namespace
}  // namespace mapvale::catalog
