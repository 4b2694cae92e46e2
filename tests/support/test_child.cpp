#include "support/test_child.h"

#include <gmock/gmock.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

namespace mapvale::testing {

namespace {
std::map<std::string, ChildMain>& Registry() {
    static std::map<std::string, ChildMain> registry;
    return registry;
}
}  // namespace

bool RegisterChild(const std::string& name, ChildMain main) {
    Registry()[name] = std::move(main);
    return true;
}

std::string SelfPath() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

std::vector<std::string> ChildArguments(const std::string& name,
                                        const std::vector<std::string>& args) {
    std::vector<std::string> all{"--child", name};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

}  // namespace mapvale::testing

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) {
        auto& registry = mapvale::testing::Registry();
        auto it = registry.find(argv[2]);
        if (it == registry.end()) {
            std::fprintf(stderr, "unknown test child %s\n", argv[2]);
            return 127;
        }
        std::vector<std::string> args(argv + 3, argv + argc);
        return it->second(args);
    }
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
