// mapvale-servers: the maker's servers as this project stands them in.

#include <iostream>
#include <string>
#include <vector>

#include "mapvale-servers/pack_command.h"
#include "mapvale-servers/serve_command.h"
#include "mapvale-servers/world_command.h"

namespace {

constexpr const char* kUsage = R"(usage: mapvale-servers COMMAND [options]

commands:
  serve    serve a content tree or a world over HTTP, with optional fault injection
  pack     pack a folder of map files into a package of a content tree
  world    write a demo world (accounts, packages, records, program-folder overlay)

mapvale-servers COMMAND --help describes a command.
)";

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string& command = args.front();
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "serve") {
        return mapvale::servers::RunServe(rest, std::cout, std::cerr);
    }
    if (command == "pack") {
        return mapvale::servers::RunPack(rest, std::cout, std::cerr);
    }
    if (command == "world") {
        return mapvale::servers::RunWorld(rest, std::cout, std::cerr);
    }
    std::cerr << "mapvale-servers: unknown command " << command << "\n" << kUsage;
    return 2;
}
