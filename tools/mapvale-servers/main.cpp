// mapvale-servers: the maker's servers as this project stands them in.

#include <iostream>
#include <string>
#include <vector>

#include "mapvale-servers/serve_command.h"

namespace {

constexpr const char* kUsage = R"(usage: mapvale-servers COMMAND [options]

commands:
  serve    serve a content tree over HTTP, with optional fault injection

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
    std::cerr << "mapvale-servers: unknown command " << command << "\n" << kUsage;
    return 2;
}
