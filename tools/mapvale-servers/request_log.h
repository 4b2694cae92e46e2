#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "mapvale-servers/request_text.h"

namespace mapvale::servers {

// One answered request, as tests read it back to check what a client sent.
struct RequestLogEntry {
    std::uint64_t number = 0;      // the order in which the server took requests, from 1
    std::string method;            // empty when the request line could not be read
    std::string path;              // URL-decoded, as UTF-8
    std::vector<FormField> query;  // query string fields, decoded, as UTF-8
    std::vector<FormField> form;   // form-encoded body fields (any verb), decoded, as UTF-8
    std::string range;             // the Range header as sent; empty when there was none
    int status = 0;
    std::optional<std::uint64_t> length;  // announced body length; nothing when not announced
    std::uint64_t sent = 0;               // body bytes written (0 for HEAD)
    std::string outcome;  // "ok"; "cut" (a reset fault ended it); "failed" (the client went away,
                          // a write failed, the file shrank, or the server stopped)
};

// The log format, one line per request, fields separated by a tab:
//
//   number  method  path  query  form  range  status  length  sent  outcome
//
// query and form are name=value pairs joined by '&' ("D1=홍길동&D2=a b"). Parameters arrive as
// CP949 bytes and are written as UTF-8. In every field the bytes below 0x20, 0x7F and '%' are
// written as %XX, and inside query and form names and values also '&' and '='; so a line always
// splits cleanly and percent-decoding a field restores it. length is "-" when no length was
// announced. A line is written when its answer has ended.
std::string FormatRequestLogLine(const RequestLogEntry& entry);

// An append-only request log file.
//
// Thread safety: Append may be called from any thread; each line is one write(2) on a file
// opened for appending, so lines never interleave and a reader never sees half a line.
class RequestLog {
public:
    // Creates the file or appends to it; nothing, with `error` set, when it cannot be opened.
    static std::unique_ptr<RequestLog> Open(const std::string& path, std::string& error);
    ~RequestLog();
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    void Append(const RequestLogEntry& entry);

private:
    explicit RequestLog(int fd) : fd_(fd) {}

    std::mutex mutex_;
    int fd_;
};

}  // namespace mapvale::servers
