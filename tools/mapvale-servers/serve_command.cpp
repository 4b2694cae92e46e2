#include "mapvale-servers/serve_command.h"

#include <memory>
#include <optional>

#include "mapvale-servers/accounts.h"
#include "mapvale-servers/consent_book.h"
#include "mapvale-servers/download_notice.h"
#include "mapvale-servers/fault_plan.h"
#include "mapvale-servers/http_server.h"
#include "mapvale-servers/picroute_api.h"
#include "mapvale-servers/request_log.h"
#include "mapvale-servers/serve_options.h"
#include "mapvale-servers/sign_in_api.h"
#include "mapvale-servers/static_files.h"
#include "mapvale-servers/stop_watcher.h"
#include "mapvale-servers/theme_api.h"
#include "mapvale-servers/traffic_server.h"
#include "mapvale-servers/trainfo_api.h"
#include "mapvale-servers/version_query.h"
#include "mapvale-servers/web_pages.h"
#include "mapvale-servers/world.h"
#include "mapvale-servers/world_address.h"
#include "mapvale-servers/world_settings.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

// What --world brings beyond a content tree.
struct World {
    WorldLayout layout;
    WorldSettings settings;
    Accounts accounts;
};

std::optional<World> LoadWorld(const std::string& folder, std::string& error) {
    WorldLayout layout(folder);
    auto settings = WorldSettings::Load(layout.Settings(), error);
    if (!settings) {
        return std::nullopt;
    }
    auto accounts = Accounts::Load(layout.Accounts(), error);
    if (!accounts) {
        return std::nullopt;
    }
    return World{std::move(layout), std::move(*settings), std::move(*accounts)};
}

std::optional<TrafficServerConfig> LoadTrafficConfig(const World* world, std::string& error) {
    if (world == nullptr) {
        return TrafficServerConfig{};
    }
    TrafficServerConfig config;
    if (const auto text = platform::ReadWholeFile(world->layout.TrafficConf())) {
        auto parsed = TrafficServerConfig::Parse(*text);
        if (!parsed) {
            error = world->layout.TrafficConf() + " is not a valid traffic configuration";
            return std::nullopt;
        }
        config = std::move(*parsed);
    }
    config.record_folder = world->layout.TrafficUploads();
    return config;
}

// The address the world's URLs name: the one listened on, with the world's own host when the
// server listens on every interface (a wildcard host names no machine).
ListenAddress PublicAddress(const ListenAddress& listened, const ListenAddress& world_address) {
    ListenAddress address = listened;
    if (address.host == "0.0.0.0" || address.host == "::") {
        address.host = world_address.host;
    }
    return address;
}

// Points the world at where it is served now: its content's URLs, world.conf and the program
// folder's Servers.ini.
bool MoveWorld(World& world, const ListenAddress& address,
               const std::optional<ListenAddress>& traffic, std::string& error) {
    const ListenAddress old_address = world.settings.address;
    if (!RehostContent(world.layout.Content(), old_address.ToString(), address.ToString(), error)) {
        return false;
    }
    world.settings.address = address;
    if (traffic) {
        world.settings.traffic_address = *traffic;
    }
    if (!platform::WriteFileAtomic(world.layout.Settings(), world.settings.Format())) {
        error = "cannot write " + world.layout.Settings();
        return false;
    }
    if (!platform::CreateFolderChain(world.layout.ProgramFolder() + "Info") ||
        !platform::WriteFileAtomic(
            world.layout.ServersIni(),
            ServersIniText(world.settings.address, world.settings.traffic_address))) {
        error = "cannot write " + world.layout.ServersIni();
        return false;
    }
    return true;
}

}  // namespace

int RunServe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ServeCommandLine command_line = ParseServeCommandLine(args);
    if (command_line.help) {
        out << ServeUsage();
        return 0;
    }
    if (!command_line.ok()) {
        err << "mapvale-servers serve: " << command_line.error
            << "\n(mapvale-servers serve --help lists the options)\n";
        return 2;
    }
    ServeOptions options = command_line.options;
    std::string error;
    std::optional<World> world;
    if (!options.world_folder.empty()) {
        world = LoadWorld(options.world_folder, error);
        if (!world) {
            err << "mapvale-servers serve: " << error << "\n";
            return 2;
        }
        options.content_folder = world->layout.Content();
        if (options.request_log.empty()) {
            options.request_log = world->layout.RequestLog();
        }
        if (!options.listen_given) {
            options.listen = world->settings.address;
        }
    }
    std::optional<TrafficServerConfig> traffic_config;
    if (options.traffic_listen) {
        traffic_config = LoadTrafficConfig(world ? &*world : nullptr, error);
        if (!traffic_config) {
            err << "mapvale-servers serve: " << error << "\n";
            return 2;
        }
    }
    const auto files = StaticFiles::Open(options.content_folder, error);
    if (!files) {
        err << "mapvale-servers serve: " << error << "\n";
        return 2;
    }
    std::unique_ptr<RequestLog> log;
    if (!options.request_log.empty()) {
        log = RequestLog::Open(options.request_log, error);
        if (!log) {
            err << "mapvale-servers serve: " << error << "\n";
            return 1;
        }
    }

    // The endpoints' state outlives the server that calls them.
    ConsentBook consents;
    std::optional<SignInApi> sign_in;
    std::optional<VersionQuery> versions;
    std::optional<ThemeApi> themes;
    std::optional<PicrouteApi> picroute;
    FaultPlan faults(options.faults);
    HttpServer server(faults, log.get());
    server.SetFallback([&](const httplib::Request& request, httplib::Response& response) {
        files->Serve(request, response, !faults.options().ignore_range);
    });
    if (!server.Bind(options.listen, error)) {
        err << "mapvale-servers serve: " << error << "\n";
        return 1;
    }
    // Declared after the server, so that it is gone (its thread joined) before the server it
    // stops. No thread exists yet: the server starts its threads in Run, the traffic server
    // below.
    StopWatcher watcher(options.stop_on_stdin_eof);
    if (!watcher.Start([&server] { server.Stop(); })) {
        err << "mapvale-servers serve: cannot watch for stop signals\n";
        return 1;
    }
    std::optional<TrafficServer> traffic;
    std::optional<ListenAddress> traffic_address;
    if (options.traffic_listen) {
        traffic.emplace(*traffic_config);
        if (!traffic->Start(options.traffic_listen->host,
                            static_cast<std::uint16_t>(options.traffic_listen->port))) {
            err << "mapvale-servers serve: cannot listen on " << options.traffic_listen->ToString()
                << " for the traffic server\n";
            return 1;
        }
        traffic_address = *options.traffic_listen;
        traffic_address->port = traffic->port();
    }
    const ListenAddress listened{options.listen.host, server.port()};
    if (world) {
        const ListenAddress address = PublicAddress(listened, world->settings.address);
        if (!MoveWorld(*world, address, traffic_address, error)) {
            err << "mapvale-servers serve: " << error << "\n";
            return 1;
        }
        const std::string base = world->settings.BaseUrl();
        sign_in.emplace(world->accounts,
                        SignInSite{base + world->settings.information_folder,
                                   base + world->settings.picture_folder},
                        consents);
        sign_in->AddTo(server);
        versions.emplace(
            world->layout.Content(), world->settings.information_folder, base,
            VersionQuery::WorldStatus(world->layout.Settings(), world->settings.version_status));
        versions->AddTo(server);
        AddDownloadNoticeApi(server);
        AddTrafficConsentApi(server, consents);
        AddWebPages(server);
        themes.emplace(world->accounts, world->layout.Themes());
        themes->AddTo(server);
        picroute.emplace(world->layout.folder);
        picroute->AddTo(server);
    }
    out << "listening on " << listened.ToString() << std::endl;
    if (traffic_address) {
        out << "traffic listening on " << traffic_address->ToString() << std::endl;
    }
    const bool ok = server.Run();
    if (traffic) {
        traffic->Stop();
    }
    if (!ok) {
        err << "mapvale-servers serve: the listening socket failed\n";
    }
    return ok ? 0 : 1;
}

}  // namespace mapvale::servers
