// Sign-in, device lists, download notices and version records against the real stand-in
// servers serving a generated world.

#include "net/sign_in.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "catalog/package_list.h"
#include "catalog/package_step.h"
#include "mapvale-servers/http_server.h"
#include "mapvale-servers/request_parameters.h"
#include "mapvale-servers/sign_in_api.h"
#include "mapvale-servers/world.h"
#include "net/server_versions.h"
#include "net/web_post.h"
#include "platform/files.h"
#include "support/sandbox.h"
#include "support/server_process.h"

namespace mapvale::net {
namespace {

using testing::LoggedRequest;
using testing::Sandbox;
using testing::ServerProcess;

class SignInTest : public ::testing::Test {
protected:
    SignInTest() : layout_(sandbox_.Path("world")) {}

    void SetUp() override {
        servers::WorldOptions options;
        options.folder = layout_.folder;
        std::string error;
        ASSERT_TRUE(servers::MakeWorld(options, error)) << error;
    }

    // Accounts a test needs beyond the world's own, added before the server starts.
    void AddAccounts(std::string_view text) {
        std::ofstream(layout_.Accounts(), std::ios::app) << "\n" << text;
    }

    void Serve() {
        server_ = std::make_unique<ServerProcess>(
            std::vector<std::string>{"serve", "--world", layout_.folder});
        ASSERT_TRUE(server_->ok()) << server_->error();
        const auto config = ServerConfig::Load(layout_.ServersIni());
        ASSERT_TRUE(config);
        servers_ = *config;
        ASSERT_EQ(catalog::ReadPackageList(records_, categories_, layout_.PackageList()), 1);
        ASSERT_FALSE(categories_.empty());
    }

    int SignInAs(std::string_view user, std::string_view brand, std::string_view password) {
        SignInHooks hooks;
        hooks.pump_messages = [this] {
            ++pumps_;
            if (on_pump_) {
                on_pump_(pumps_);
            }
        };
        hooks.message_box = [this](std::string_view text) { boxes_.emplace_back(text); };
        hooks.package_step = [this](std::list<DeviceEntry>& devices) {
            return catalog::RunPackageStep(context_, nullptr, result_.cancel, devices, categories_,
                                           [this] { ++pumps_; });
        };
        return SignIn(result_, devices_, user, brand, password, Pictures(), servers_, web_, hooks);
    }

    std::string Pictures() const { return sandbox_.Path("program/Product/"); }

    // The request log once it holds at least `count` requests (lines are written when the
    // answers have ended, which may be after the client has them).
    std::vector<LoggedRequest> Requests(std::size_t count) const {
        std::vector<LoggedRequest> requests;
        EXPECT_TRUE(testing::WaitUntil([&] {
            requests = testing::ReadRequestLog(layout_.RequestLog());
            return requests.size() >= count;
        })) << "the log holds "
            << requests.size() << " requests, not " << count;
        return requests;
    }

    // Requests to paths that end in `suffix`, once the log holds `count` requests.
    std::vector<LoggedRequest> RequestsTo(std::string_view suffix, std::size_t count) const {
        std::vector<LoggedRequest> matching;
        for (const LoggedRequest& request : Requests(count)) {
            if (request.path.size() >= suffix.size() &&
                request.path.compare(request.path.size() - suffix.size(), suffix.size(), suffix) ==
                    0) {
                matching.push_back(request);
            }
        }
        return matching;
    }

    const DeviceEntry* Device(std::string_view model) const {
        const auto found =
            std::find_if(devices_.begin(), devices_.end(),
                         [&](const DeviceEntry& d) { return d.model_name == model; });
        return found == devices_.end() ? nullptr : &*found;
    }

    Sandbox sandbox_;
    servers::WorldLayout layout_;
    std::unique_ptr<ServerProcess> server_;
    ServerConfig servers_;
    std::vector<PackageListRecord> records_;
    std::vector<PackageCategory> categories_;
    PackageInfo context_;
    CWebPOST web_;
    SignInResult result_;
    std::list<DeviceEntry> devices_;
    int pumps_ = 0;
    std::function<void(int)> on_pump_;
    std::vector<std::string> boxes_;
};

TEST_F(SignInTest, BuildsTheSortedDeviceListWithFilledCatalogues) {
    Serve();
    ASSERT_EQ(SignInAs("hong", "OV", "1234"), 1) << result_.message;
    EXPECT_EQ(result_.result_code, 200);
    EXPECT_EQ(result_.account_kind, "H");
    EXPECT_EQ(result_.account_text, "홍길동");
    EXPECT_EQ(result_.service_flag, "T");
    EXPECT_TRUE(boxes_.empty());

    // Sorted by product line (every device was a vehicle unit when sorted); then the package
    // step gave each its kind from its package type.
    std::vector<std::string> models;
    for (const DeviceEntry& device : devices_) {
        models.push_back(device.model_name);
    }
    EXPECT_EQ(models, (std::vector<std::string>{"HS200", "HT300", "HV400", "HX100"}));
    const struct {
        const char* model;
        int kind;
        int sub_kind;
        std::size_t files;
    } expected[] = {{"HS200", 1, 1, 6}, {"HT300", 2, 1, 8}, {"HV400", 2, 2, 6}, {"HX100", 8, 1, 6}};
    for (const auto& e : expected) {
        const DeviceEntry* device = Device(e.model);
        ASSERT_NE(device, nullptr) << e.model;
        EXPECT_EQ(device->kind, e.kind) << e.model;
        EXPECT_EQ(device->sub_kind, e.sub_kind) << e.model;
        ASSERT_EQ(device->files.size(), e.files) << e.model;
        for (const FileEntry& file : device->files) {
            EXPECT_NE(file.category, catalog::kUnknownCategory) << e.model << " " << file.file_name;
            EXPECT_GT(file.file_size, 0);
            EXPECT_GT(file.part_count, 0);
        }
        EXPECT_EQ(device->extra_fields, (std::array<std::string, 4>{"2024", "OV", "SEOUL", "A1"}));
        EXPECT_EQ(device->shared_value, "OVCLUB");
        EXPECT_EQ(device->information_root, server_->Url("/vehicle/Waymark/PackageInfo"));
    }
    const DeviceEntry& hx = *Device("HX100");
    EXPECT_EQ(hx.option_list, "HX-100/그랜드 HX,블랙박스,하이패스");
    EXPECT_EQ(hx.files[1].file_name, "Korea.map");
    EXPECT_EQ(hx.files[1].category, "지도");
    EXPECT_EQ(hx.files[1].part_count, 3);
    EXPECT_EQ(hx.files[4].file_name, "MAP.exe");
    EXPECT_EQ(hx.files[4].category, "기타");  // the '*' category takes the rest
    EXPECT_EQ(Device("HT300")->files[3].category, "안전운전");
    EXPECT_EQ(Device("HS200")->device_class, "P");
    EXPECT_EQ(Device("HV400")->registered, 0);
    EXPECT_EQ(Device("HV400")->registration_text,
              "등록되지 않은 차량입니다. 차량을 등록해 주세요.");
    EXPECT_EQ(Device("HV400")->picture_path, "");
    EXPECT_EQ(hx.registered, 1);
    EXPECT_EQ(hx.registration_text, "");
    EXPECT_EQ(hx.picture_path, Pictures() + "HX100.png");
    EXPECT_TRUE(platform::FileExists(hx.picture_path));

    // The account check and the list are the same request for an account of the brand asked.
    const auto checks = RequestsTo("/WMKChkRegist.mms", 9);
    ASSERT_EQ(checks.size(), 2u);
    for (const LoggedRequest& check : checks) {
        EXPECT_EQ(check.Parameter("D1"), "hong");
        EXPECT_EQ(check.Parameter("D2"), "OV");
        EXPECT_EQ(check.Parameter("D3"), "1234");
    }
}

TEST_F(SignInTest, SecondBrandListsWithItsOwnCode) {
    Serve();
    ASSERT_EQ(SignInAs("kim", "OV", "5678"), 1) << result_.message;  // the brand asked is wrong
    EXPECT_EQ(result_.account_kind, "K");
    EXPECT_EQ(result_.service_flag, "F");
    ASSERT_EQ(devices_.size(), 4u);
    EXPECT_EQ(devices_.front().model_name, "KA10");
    EXPECT_EQ(devices_.front().shared_value, "");  // the server's flag is 0
    const auto checks = RequestsTo("/WMKChkRegist.mms", 9);
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_EQ(checks[0].Parameter("D2"), "OV");
    EXPECT_EQ(checks[1].Parameter("D2"), "DL");
}

TEST_F(SignInTest, RefusalsCarryTheServersCodeAndText) {
    AddAccounts(
        "[account halted]\npassword = 1\nletter = H\nresult = 203 이용이 정지된 계정입니다.\n");
    Serve();
    devices_.emplace_back();
    devices_.back().model_name = "kept";
    EXPECT_EQ(SignInAs("hong", "OV", "wrong"), 0);
    EXPECT_EQ(result_.result_code, 201);
    EXPECT_EQ(result_.message, servers::kWrongPasswordText);
    EXPECT_EQ(SignInAs("halted", "OV", "1"), 0);
    EXPECT_EQ(result_.result_code, 203);
    EXPECT_EQ(result_.message, "이용이 정지된 계정입니다.");
    // A failure before the list was asked for keeps the previous list.
    ASSERT_EQ(devices_.size(), 1u);
    EXPECT_EQ(devices_.front().model_name, "kept");
}

TEST_F(SignInTest, LowerCaseLettersActAsUpperCase) {
    AddAccounts(
        "[account small_h]\npassword = 1\nletter = h\n[vehicle]\nmodel = HX100\n"
        "product-line = hx-7\npicture = HX100.png\n"
        "[account small_k]\npassword = 1\nletter = k\n[vehicle]\nmodel = KB20\n"
        "product-line = kb-8\n"
        "[account small_g]\npassword = 1\nletter = g\n[vehicle]\nmodel = HS200\n"
        "product-line = GO-2\n"
        "[account small_x]\npassword = 1\nletter = x\n");
    Serve();
    ASSERT_EQ(SignInAs("small_h", "OV", "1"), 1) << result_.message;
    EXPECT_EQ(result_.account_kind, "h");
    ASSERT_EQ(devices_.size(), 1u);
    EXPECT_EQ(devices_.front().product_line, "hx-7");
    EXPECT_FALSE(devices_.front().files.empty());

    ASSERT_EQ(SignInAs("small_k", "OV", "1"), 1) << result_.message;
    ASSERT_EQ(devices_.size(), 1u);
    EXPECT_EQ(devices_.front().model_name, "KB20");

    // g: the unit list comes from the service server; it lists no devices for the client.
    EXPECT_EQ(SignInAs("small_g", "OV", "1"), 0);
    EXPECT_EQ(result_.message, kTextNoDeviceList);
    EXPECT_EQ(RequestsTo("/orlaWMKChkRegist.mms", 9).size(), 1u);

    EXPECT_EQ(SignInAs("small_x", "OV", "1"), 0);
    EXPECT_EQ(result_.message, kTextNoAccount);
    EXPECT_EQ(result_.result_code, -1);

    const auto checks = RequestsTo("/WMKChkRegist.mms", 10);
    std::vector<std::string> brands;
    for (const LoggedRequest& check : checks) {
        brands.push_back(check.Parameter("D2").value_or("?"));
    }
    // small_h: check + list (OV); small_k: check (OV) + list (DL); small_g; small_x.
    EXPECT_EQ(brands, (std::vector<std::string>{"OV", "OV", "OV", "DL", "OV", "OV"}));
}

TEST_F(SignInTest, NoAccountAndUnknownLetters) {
    AddAccounts("[account odd]\npassword = 1\nletter = Q\n");
    Serve();
    EXPECT_EQ(SignInAs("nobody", "OV", "0000"), 0);
    EXPECT_EQ(result_.message, kTextNoAccount);
    EXPECT_EQ(result_.result_code, -1);
    EXPECT_EQ(SignInAs("stranger", "OV", "x"), 0);  // the server knows no such user
    EXPECT_EQ(result_.message, kTextNoAccount);
    EXPECT_EQ(SignInAs("odd", "OV", "1"), 0);
    EXPECT_EQ(result_.message, kTextBadAccount);
    EXPECT_EQ(result_.result_code, -1);
    // M: no list request at all, and the empty-list text.
    EXPECT_EQ(SignInAs("tarno", "OV", "2222"), 0);
    EXPECT_EQ(result_.message, kTextNoDeviceList);
    EXPECT_EQ(Requests(4).size(), 4u);
}

TEST_F(SignInTest, EmptyVehicleListFailsInThePackageStep) {
    AddAccounts("[account empty]\npassword = 1\nletter = H\nname = 빈 계정\n");
    Serve();
    devices_.emplace_back();
    EXPECT_EQ(SignInAs("empty", "OV", "1"), 0);
    EXPECT_EQ(result_.message, kTextNoDeviceList);
    EXPECT_TRUE(devices_.empty());  // emptied once the list was there
    EXPECT_TRUE(RequestsTo(".inf", 2).empty());
}

TEST_F(SignInTest, ExistingPictureIsNotFetchedAgain) {
    Serve();
    ASSERT_TRUE(platform::CreateFolderChain(Pictures()));
    ASSERT_TRUE(platform::WriteFileAtomic(Pictures() + "HS200.png", "mine"));
    ASSERT_EQ(SignInAs("hong", "OV", "1234"), 1) << result_.message;
    EXPECT_EQ(Device("HS200")->picture_path, Pictures() + "HS200.png");
    EXPECT_EQ(Sandbox::Read(Pictures() + "HS200.png"), "mine");
    const auto pictures = RequestsTo(".png", 8);
    std::vector<std::string> fetched;
    for (const LoggedRequest& request : pictures) {
        fetched.push_back(request.path);
    }
    std::sort(fetched.begin(), fetched.end());
    EXPECT_EQ(fetched, (std::vector<std::string>{"/vehicle/Waymark/Product/HT300.png",
                                                 "/vehicle/Waymark/Product/HX100.png"}));
}

TEST_F(SignInTest, PictureNamesThatLeaveTheFolderAreRefused) {
    AddAccounts(
        "[account sly]\npassword = 1\nletter = H\n[vehicle]\nmodel = HX100\n"
        "product-line = H-1\npicture = ../escape.png\n[vehicle]\nmodel = HS200\n"
        "product-line = H-2\npicture = /tmp/escape.png\n");
    Serve();
    ASSERT_EQ(SignInAs("sly", "OV", "1"), 1) << result_.message;
    for (const DeviceEntry& device : devices_) {
        EXPECT_EQ(device.picture_path, "") << device.model_name;
    }
    EXPECT_FALSE(platform::FileExists(sandbox_.Path("program/escape.png")));
    EXPECT_TRUE(RequestsTo(".png", 4).empty());
}

TEST_F(SignInTest, CancelStopsBetweenDevices) {
    Serve();
    on_pump_ = [this](int pumps) {
        if (pumps == 1) {
            result_.cancel.store(1);
        }
    };
    EXPECT_EQ(SignInAs("hong", "OV", "1234"), 0);
    EXPECT_EQ(result_.message, "");
    EXPECT_EQ(devices_.size(), 1u);  // the device after the pump is made; the next one is not
    EXPECT_TRUE(RequestsTo(".inf", 3).empty());  // no package step
}

TEST_F(SignInTest, DownloadNoticesSendTheDeviceInOrder) {
    Serve();
    ASSERT_EQ(SignInAs("hong", "OV", "1234"), 1) << result_.message;
    const std::size_t before = Requests(9).size();
    for (const char* model : {"HX100", "HS200", "HT300"}) {
        SendDownloadNotice(*Device(model), web_, servers_);
    }
    const auto requests = Requests(before + 3);
    ASSERT_EQ(requests.size(), before + 3);
    const LoggedRequest& vehicle = requests[before];
    EXPECT_EQ(vehicle.path, "/WMK/WMKChkDown.mms");
    std::vector<std::string> fields;
    for (const auto& [name, value] : vehicle.query) {
        fields.push_back(name + "=" + value);
    }
    EXPECT_EQ(fields, (std::vector<std::string>{"D1=UNKNOWN", "D2=HX-100", "D3=그랜드 HX",
                                                "D4=HX100", "D5=M", "D6=AVN", "D7=2024", "D8=OV",
                                                "D9=SEOUL", "D10=A1"}));
    EXPECT_EQ(requests[before + 1].path, "/WMK/orlaWMKChkDown.mms");
    EXPECT_EQ(requests[before + 2].path, "/WMK/tarnoWMKChkDown.mms");
}

TEST_F(SignInTest, FetchesTheWorldsVersionRecords) {
    Serve();
    ServerVersions versions;
    ASSERT_TRUE(FetchServerVersions(versions, web_, servers_));
    EXPECT_EQ(versions.orla_version_text, "2024.01");
    EXPECT_EQ(versions.orla_map_version, 20240115);
    EXPECT_EQ(versions.orla_camera_version, 2024012);
    EXPECT_EQ(versions.tarno_version_text, "2024.03");
    EXPECT_EQ(versions.tarno_map_version, 20240301);
    EXPECT_EQ(versions.tarno_camera_version, 2024031);
}

// A registration server on loopback that answers every account check with one fixed answer:
// for answers the stand-in's accounts file refuses to express (model names no package may have,
// lists of any length). An H answer is its own vehicle list, so sign-in asks it twice.
class FixedAnswerServer {
public:
    explicit FixedAnswerServer(std::string answer)
        : answer_(std::move(answer)), server_(faults_, nullptr) {
        server_.AddHandler("/WMK/WMKChkRegist.mms",
                           [this](const httplib::Request&, httplib::Response& response) {
                               servers::SetCp949Answer(response, answer_);
                           });
        std::string error;
        EXPECT_TRUE(server_.Bind(servers::ListenAddress{}, error)) << error;
        thread_ = std::thread([this] { server_.Run(); });
    }
    ~FixedAnswerServer() {
        server_.Stop();
        thread_.join();
    }

    std::string HostText() const { return "127.0.0.1:" + std::to_string(server_.port()); }

private:
    std::string answer_;
    servers::FaultPlan faults_;
    servers::HttpServer server_;
    std::thread thread_;
};

// A vehicle list answer of an H account: one result entry per model name, and per-device list
// entries whose product lines number the entries ("H0000", "H0001", ...), so a test sees which
// entry each device was built from.
std::string VehicleListAnswer(const std::vector<std::string>& entry_names) {
    std::string entries;
    std::string lines;
    for (std::size_t n = 0; n < entry_names.size(); ++n) {
        entries += "|" + entry_names[n] + "$1";
        char line[32];
        std::snprintf(line, sizeof line, "%sH%04zu$car", n == 0 ? "" : "|*|", n);
        lines += line;
    }
    return "#!#200|Owner|unregistered" + entries + "#!#v$0#!#T#!#http://info#!#" + lines +
           "#!##!#http://pictures#!#AVN#!#2024|OV|SEOUL|A1";
}

class SignInAnswerTest : public ::testing::Test {
protected:
    // Signs in against a server giving `answer`; the package step only counts the devices.
    int SignInWith(const std::string& answer) {
        FixedAnswerServer server(answer);
        ServerConfig servers;
        servers.Set(ServerConfig::kRegistration, server.HostText());
        SignInHooks hooks;
        hooks.pump_messages = [this] { ++pumps_; };
        hooks.package_step = [](std::list<DeviceEntry>& devices) {
            return devices.empty() ? 0 : 1;
        };
        return SignIn(result_, devices_, "owner", "OV", "pw", sandbox_.Path("Product/"), servers,
                      web_, hooks);
    }

    std::vector<std::string> Models() const {
        std::vector<std::string> models;
        for (const DeviceEntry& device : devices_) {
            models.push_back(device.model_name);
        }
        return models;
    }

    Sandbox sandbox_;
    CWebPOST web_;
    SignInResult result_;
    std::list<DeviceEntry> devices_;
    int pumps_ = 0;
};

TEST_F(SignInAnswerTest, ModelNamesThatCannotNameAPackageDropOnlyTheirDevice) {
    ASSERT_EQ(
        SignInWith(VehicleListAnswer({"HA1.inf", ".inf", "../../home.inf", "a/b.inf", "/etc/x.inf",
                                      "sub\\x.inf", "C:x.inf", "", "HB2", "HC3.inf"})),
        1)
        << result_.message;
    EXPECT_EQ(Models(), (std::vector<std::string>{"HA1", "HB2", "HC3"}));
    // The devices that stay keep the list entries of their own place in the answer.
    std::vector<std::string> lines;
    for (const DeviceEntry& device : devices_) {
        lines.push_back(device.product_line);
        EXPECT_EQ(device.extra_fields, (std::array<std::string, 4>{"2024", "OV", "SEOUL", "A1"}));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"H0000", "H0008", "H0009"}));

    // An answer of unsafe names only leaves nothing to file.
    EXPECT_EQ(SignInWith(VehicleListAnswer({".inf", "..inf"})), 0);
    EXPECT_EQ(result_.message, kTextNoDeviceList);
    EXPECT_TRUE(devices_.empty());
}

TEST_F(SignInAnswerTest, LongListsStopAtTheDeviceBound) {
    std::vector<std::string> names;
    for (std::size_t n = 0; n < 3 * kMaxSignInDevices; ++n) {
        names.push_back("M" + std::to_string(n) + ".inf");
    }
    ASSERT_EQ(SignInWith(VehicleListAnswer(names)), 1) << result_.message;
    ASSERT_EQ(devices_.size(), kMaxSignInDevices);
    EXPECT_EQ(pumps_, static_cast<int>(kMaxSignInDevices));  // nothing was made past the bound
    EXPECT_EQ(devices_.front().model_name, "M0");
    EXPECT_EQ(devices_.back().model_name, "M" + std::to_string(kMaxSignInDevices - 1));
    EXPECT_EQ(devices_.back().caption, "car");
}

}  // namespace
}  // namespace mapvale::net
