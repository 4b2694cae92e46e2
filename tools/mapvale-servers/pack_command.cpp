#include "mapvale-servers/pack_command.h"

#include <map>

#include "mapvale-servers/category_lines.h"
#include "mapvale-servers/manifest.h"
#include "mapvale-servers/packager.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

constexpr const char* kUsage =
    R"(usage: mapvale-servers pack --manifest FILE --files DIR --out CONTENT_DIR [--categories FILE]

Packs the files a manifest lists (paths relative to DIR) into the content tree CONTENT_DIR: one
zip archive per file, cut into spans, and the package information file <model>.inf in the
manifest's information folder. The matching category lines of Info/PackageInfo.txt are written
to --categories FILE (CP949, CR LF) or printed. tools/mapvale-servers/README.md describes the
manifest.
)";

}  // namespace

int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::map<std::string, std::string> values;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (name == "--help" || name == "-h") {
            out << kUsage;
            return 0;
        }
        std::string value;
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            err << "mapvale-servers pack: " << name << " needs a value\n" << kUsage;
            return 2;
        }
        if (name != "--manifest" && name != "--files" && name != "--out" &&
            name != "--categories") {
            err << "mapvale-servers pack: unknown option " << name << "\n" << kUsage;
            return 2;
        }
        values[name] = value;
    }
    for (const char* required : {"--manifest", "--files", "--out"}) {
        if (values[required].empty()) {
            err << "mapvale-servers pack: " << required << " is required\n" << kUsage;
            return 2;
        }
    }
    std::string error;
    const auto manifest = Manifest::Load(values["--manifest"], error);
    if (!manifest) {
        err << "mapvale-servers pack: " << error << "\n";
        return 1;
    }
    const auto result = Pack(*manifest, values["--files"], values["--out"], error);
    if (!result) {
        err << "mapvale-servers pack: " << error << "\n";
        return 1;
    }
    std::string lines;
    for (const PackageCategory& category : result->categories) {
        lines += FormatCategoryLine(category) + "\n";
    }
    out << "wrote " << result->information_file << "\n";
    for (const PackedFile& file : result->files) {
        out << "  " << file.name << ": " << file.size << " bytes, " << file.spans.size()
            << (file.spans.size() == 1 ? " span" : " spans") << "\n";
    }
    const std::string& categories = values["--categories"];
    if (categories.empty()) {
        out << "category lines for Info/PackageInfo.txt:\n" << lines;
        return 0;
    }
    std::string crlf;
    for (const char c : lines) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    if (!platform::WriteFileAtomic(
            categories, platform::Utf8ToCp949(crlf, platform::InvalidBytes::kReplace).text)) {
        err << "mapvale-servers pack: cannot write " << categories << "\n";
        return 1;
    }
    out << "wrote the category lines to " << categories << "\n";
    return 0;
}

}  // namespace mapvale::servers
