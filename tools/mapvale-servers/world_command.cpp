#include "mapvale-servers/world_command.h"

#include "mapvale-servers/world.h"

namespace mapvale::servers {
namespace {

constexpr const char* kUsage =
    R"(usage: mapvale-servers world --out DIR [--listen-host HOST:PORT] [--traffic-host HOST:PORT]
                             [--offer-update]

Writes a demo world into DIR: accounts, a content tree of packages, version records, banners,
product pictures, the update server's patch areas and notice, traffic.conf and a program-folder
overlay (DIR/program/Info/). Its URLs point at --listen-host (default 127.0.0.1:18080); the
overlay's traffic server is --traffic-host (default 127.0.0.1:10400). A program folder made
from the overlay is current; with --offer-update the update server offers newer versions of
two of its files (Info/Notice.txt, Info/UpdateGuide.html as an archive), so both programs find
a self-update. Serve it with: mapvale-servers serve --world DIR
)";

}  // namespace

int RunWorld(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    WorldOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (name == "--help" || name == "-h") {
            out << kUsage;
            return 0;
        }
        if (name == "--offer-update") {
            options.offer_update = true;
            continue;
        }
        std::string value;
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            err << "mapvale-servers world: " << name << " needs a value\n" << kUsage;
            return 2;
        }
        if (name == "--out") {
            options.folder = value;
        } else if (name == "--listen-host" || name == "--traffic-host") {
            const auto address = ParseListenAddress(value);
            if (!address || address->port == 0) {
                err << "mapvale-servers world: " << name
                    << " wants HOST:PORT with a port of 1-65535, not " << value << "\n";
                return 2;
            }
            (name == "--listen-host" ? options.address : options.traffic_address) = *address;
        } else {
            err << "mapvale-servers world: unknown option " << name << "\n" << kUsage;
            return 2;
        }
    }
    if (options.folder.empty()) {
        err << "mapvale-servers world: --out DIR is required\n" << kUsage;
        return 2;
    }
    std::string error;
    if (!MakeWorld(options, error)) {
        err << "mapvale-servers world: " << error << "\n";
        return 1;
    }
    out << "wrote a world to " << options.folder
        << " (serve it with: mapvale-servers serve --world " << options.folder << ")\n";
    return 0;
}

}  // namespace mapvale::servers
