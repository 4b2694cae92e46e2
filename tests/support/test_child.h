#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mapvale::testing {

// Child programs for tests that need a second process (a program to start, a second writer of
// the settings store, a second instance). Every test program is its own child program: run as
// `<test program> --child <name> args...`, it runs the registered function and exits with its
// result instead of running the tests.
using ChildMain = std::function<int(const std::vector<std::string>& args)>;

bool RegisterChild(const std::string& name, ChildMain main);

// The path of the running test program, to start it as a child.
std::string SelfPath();

// The argument list that runs child `name` with `args`.
std::vector<std::string> ChildArguments(const std::string& name,
                                        const std::vector<std::string>& args = {});

}  // namespace mapvale::testing

// Registers a child at static initialisation: MAPVALE_TEST_CHILD(sleeper) { ...; return 0; }
// The body sees the arguments after the name as `args`.
#define MAPVALE_TEST_CHILD(name)                                                         \
    static int MapvaleTestChild_##name(const std::vector<std::string>& args);            \
    static const bool mapvale_test_child_registered_##name =                             \
        ::mapvale::testing::RegisterChild(#name, &MapvaleTestChild_##name);              \
    static int MapvaleTestChild_##name([[maybe_unused]] const std::vector<std::string>& args)
