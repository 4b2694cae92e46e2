// mapvale-cli: the updater's job from a terminal.

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "mapvale-cli/cli_options.h"
#include "mapvale-cli/cli_run.h"
#include "mapvale-cli/console.h"
#include "mapvale-cli/exit_codes.h"
#include "mapvale-cli/interrupt_flag.h"

int main(int argc, char** argv) {
    using namespace mapvale::cli;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedOptions parsed = ParseCliOptions(args);
    if (!parsed.options) {
        std::cerr << "mapvale-cli: " << parsed.error << "\n"
                  << "mapvale-cli --help 로 사용법을 볼 수 있습니다.\n";
        return kExitUsage;
    }
    if (parsed.options->command == Command::kHelp) {
        std::cout << UsageText();
        return kExitDone;
    }
    InterruptFlag::InstallHandlers();
    StdinLineReader input;
    Console console(std::cout, input, ::isatty(STDOUT_FILENO) == 1);
    return RunCli(*parsed.options, console);
}
