#include "catalog/text_file.h"

#include <cstdio>
#include <memory>

#include "platform/encoding.h"

namespace mapvale::catalog {

namespace {

// Collects lines from pieces of a file, keeping at most `max` bytes of each.
class LineCollector {
  public:
    explicit LineCollector(std::size_t max) : max_(max) {}

    void Feed(std::string_view bytes) {
        for (char c : bytes) {
            if (c == '\n') {
                EndLine();
            } else if (current_.size() < max_) {
                current_.push_back(c);
            } else {
                overflow_ = true;  // the rest of the line, a CR before its end included, is dropped
            }
        }
    }

    std::vector<std::string> Finish() {
        EndLine();
        return std::move(lines_);
    }

  private:
    void EndLine() {
        if (!overflow_ && !current_.empty() && current_.back() == '\r') {
            current_.pop_back();
        }
        if (!current_.empty()) {
            lines_.push_back(
                platform::Cp949ToUtf8(current_, platform::InvalidBytes::kReplace).text);
        }
        current_.clear();
        overflow_ = false;
    }

    std::size_t max_;
    std::string current_;
    bool overflow_ = false;
    std::vector<std::string> lines_;
};

}  // namespace

std::vector<std::string> SplitCp949Lines(std::string_view bytes, std::size_t max_line_bytes) {
    LineCollector collector(max_line_bytes);
    collector.Feed(bytes);
    return collector.Finish();
}

std::optional<std::vector<std::string>> ReadCp949Lines(std::string_view path,
                                                       std::size_t max_line_bytes) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(std::string(path).c_str(), "rb"), &std::fclose);
    if (!file) {
        return std::nullopt;
    }
    LineCollector collector(max_line_bytes);
    char buffer[16384];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        collector.Feed(std::string_view(buffer, n));
        if (n < sizeof buffer) {
            break;
        }
    }
    if (std::ferror(file.get()) != 0) {
        return std::nullopt;
    }
    return collector.Finish();
}

std::string ToCp949(std::string_view utf8) {
    return platform::Utf8ToCp949(utf8, platform::InvalidBytes::kReplace).text;
}

}  // namespace mapvale::catalog
