#include "mapvale-servers/request_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mapvale::servers {
namespace {

void AppendEscaped(std::string& out, std::string_view text, bool in_field) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool escape =
            byte < 0x20 || byte == 0x7F || c == '%' || (in_field && (c == '&' || c == '='));
        if (escape) {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        } else {
            out.push_back(c);
        }
    }
}

void AppendFields(std::string& out, const std::vector<FormField>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out.push_back('&');
        }
        AppendEscaped(out, fields[i].name, true);
        out.push_back('=');
        AppendEscaped(out, fields[i].value, true);
    }
}

}  // namespace

std::string FormatRequestLogLine(const RequestLogEntry& entry) {
    std::string line = std::to_string(entry.number);
    line.push_back('\t');
    AppendEscaped(line, entry.method, false);
    line.push_back('\t');
    AppendEscaped(line, entry.path, false);
    line.push_back('\t');
    AppendFields(line, entry.query);
    line.push_back('\t');
    AppendFields(line, entry.form);
    line.push_back('\t');
    AppendEscaped(line, entry.range, false);
    line += '\t' + std::to_string(entry.status) + '\t';
    line += entry.length ? std::to_string(*entry.length) : std::string("-");
    line += '\t' + std::to_string(entry.sent) + '\t';
    AppendEscaped(line, entry.outcome, false);
    line.push_back('\n');
    return line;
}

std::unique_ptr<RequestLog> RequestLog::Open(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot open the request log " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<RequestLog>(new RequestLog(fd));
}

RequestLog::~RequestLog() {
    ::close(fd_);
}

void RequestLog::Append(const RequestLogEntry& entry) {
    const std::string line = FormatRequestLogLine(entry);
    std::lock_guard lock(mutex_);
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t written = ::write(fd_, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;  // a full disk loses log lines, never answers
        }
        done += static_cast<std::size_t>(written);
    }
}

}  // namespace mapvale::servers
