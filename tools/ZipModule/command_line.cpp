#include "ZipModule/command_line.h"

#include <cstdlib>
#include <filesystem>

#include "platform/files.h"

namespace mapvale::zipmodule {

std::string_view StripQuotes(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text.remove_prefix(1);
        text.remove_suffix(1);
    }
    return text;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args,
                                   const std::string& program_folder) {
    ParsedCommandLine parsed;
    if (args.empty() || args.size() > 2) {
        parsed.error = "usage: ZipModule \"archive\" [\"destination folder\"]";
        return parsed;
    }
    const std::string_view archive = StripQuotes(args[0]);
    const std::string_view destination =
        args.size() == 2 ? StripQuotes(args[1]) : std::string_view(program_folder);
    if (archive.empty() || destination.empty()) {
        parsed.error = args.size() == 2 && destination.empty() ? "empty destination folder"
                                                               : "empty archive path";
        return parsed;
    }
    parsed.ok = true;
    parsed.invocation.archive = platform::NormalizePath(archive);
    parsed.invocation.destination = platform::NormalizeFolder(destination);
    return parsed;
}

std::string ProgramFolder() {
    const char* overridden = std::getenv("MAPVALE_PROGRAM_DIR");
    if (overridden != nullptr && *overridden != '\0') {
        return platform::NormalizeFolder(overridden);
    }
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return platform::NormalizeFolder(self.parent_path().string());
}

}  // namespace mapvale::zipmodule
