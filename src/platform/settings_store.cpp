#include "platform/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <utility>

#include "platform/clock.h"
#include "platform/files.h"

namespace mapvale::platform {

namespace {

// A settings file is a few kilobytes; anything far larger is not ours and is treated as
// unreadable (kept aside, never parsed into memory whole). Writes that would pass it are refused.
constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;
constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
// How many "<file>.unreadable-<time>-<n>" names are tried when copies of the same second exist.
constexpr int kMaxAsideNames = 100;

// ---------------------------------------------------------------------------------------------
// The tree of one root.

struct Value {
    std::string name;
    bool is_dword = false;
    std::uint32_t dword = 0;
    std::string text;
};

struct Node {
    std::string name;
    std::vector<Value> values;
    std::vector<Node> children;  // in the order first written
};

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// The components of a key path; doubled and trailing separators leave no empty component.
std::vector<std::string_view> SplitKey(std::string_view key) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find('\\', start);
        if (end == std::string_view::npos) {
            end = key.size();
        }
        if (end > start) {
            parts.push_back(key.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

// A key that this store can write so that it reads back as the same key: no control characters
// (a section line cannot hold them) and no leading '-' (which the export syntax reads as
// "delete this key").
bool IsWritableKey(const std::vector<std::string_view>& parts) {
    if (parts.empty() || parts.front().front() == '-') {
        return false;
    }
    for (std::string_view part : parts) {
        for (char c : part) {
            if (IsControl(static_cast<unsigned char>(c))) {
                return false;
            }
        }
    }
    return true;
}

// Lookups for both const and mutable trees (NodeT is Node or const Node).
template <typename NodeT>
NodeT* FindChild(NodeT& node, std::string_view name) {
    for (auto& child : node.children) {
        if (SameName(child.name, name)) {
            return &child;
        }
    }
    return nullptr;
}

template <typename NodeT>
NodeT* FindKey(NodeT& root, const std::vector<std::string_view>& parts) {
    NodeT* node = &root;
    for (std::string_view part : parts) {
        node = FindChild(*node, part);
        if (node == nullptr) {
            return nullptr;
        }
    }
    return node;
}

template <typename NodeT>
auto FindValue(NodeT& node, std::string_view name) -> decltype(&node.values.front()) {
    for (auto& value : node.values) {
        if (SameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

Node& CreateKey(Node& root, const std::vector<std::string_view>& parts) {
    Node* node = &root;
    for (std::string_view part : parts) {
        Node* child = FindChild(*node, part);
        if (child == nullptr) {
            node->children.push_back(Node{std::string(part), {}, {}});
            child = &node->children.back();
        }
        node = child;
    }
    return *node;
}

// ---------------------------------------------------------------------------------------------
// Text form.

// Length of the well-formed UTF-8 sequence at s[i], or 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80) {
        return 1;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xbf;  // bounds of the second byte
    if (c >= 0xc2 && c <= 0xdf) {
        length = 2;
    } else if (c >= 0xe0 && c <= 0xef) {
        length = 3;
        if (c == 0xe0) {
            low = 0xa0;  // no overlong forms
        } else if (c == 0xed) {
            high = 0x9f;  // no surrogates
        }
    } else if (c >= 0xf0 && c <= 0xf4) {
        length = 4;
        if (c == 0xf0) {
            low = 0x90;
        } else if (c == 0xf4) {
            high = 0x8f;  // nothing above U+10FFFF
        }
    } else {
        return 0;
    }
    if (i + length > s.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xbf) {
            return 0;
        }
    }
    return length;
}

bool IsUtf8Text(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = Utf8SequenceLength(s, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

void AppendHexByte(std::string& out, unsigned char c) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += "\\x";
    out += kDigits[c >> 4];
    out += kDigits[c & 0x0f];
}

// The quoted form of any byte string. Besides the export syntax's \\ and \", control characters
// and bytes that are not UTF-8 are escaped, so every value reads back exactly and the file stays
// one line per value and valid UTF-8.
void AppendQuoted(std::string& out, std::string_view s) {
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t length = Utf8SequenceLength(s, i);
        if (length == 0) {
            AppendHexByte(out, c);
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(s.substr(i, length));
            i += length;
            continue;
        }
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (IsControl(c)) {
                    AppendHexByte(out, c);
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    out += '"';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = FoldAscii(c);
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Reads a quoted string starting at line[pos] == '"'; leaves pos after the closing quote.
bool ReadQuoted(std::string_view line, std::size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') {
        return false;
    }
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= line.size()) {
            return false;
        }
        switch (line[pos]) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (pos + 2 >= line.size()) {
                    return false;
                }
                const int high = HexDigit(line[pos + 1]);
                const int low = HexDigit(line[pos + 2]);
                if (high < 0 || low < 0) {
                    return false;
                }
                out += static_cast<char>(high * 16 + low);
                pos += 2;
                break;
            }
            default:
                // An escape we never write: guessing could change the value, so the line is not
                // read (and the file is kept aside before it is replaced).
                return false;
        }
    }
    return false;  // no closing quote
}

void SkipBlanks(std::string_view line, std::size_t& pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
        ++pos;
    }
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// `"name"="text"`, `"name"=dword:0000abcd`, with `@` for the unnamed value.
bool ParseValueLine(std::string_view line, Value& value) {
    std::size_t pos = 0;
    if (line[0] == '@') {
        value.name.clear();
        pos = 1;
    } else if (!ReadQuoted(line, pos, value.name)) {
        return false;
    }
    SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=') {
        return false;
    }
    ++pos;
    SkipBlanks(line, pos);
    if (pos < line.size() && line[pos] == '"') {
        value.is_dword = false;
        if (!ReadQuoted(line, pos, value.text)) {
            return false;
        }
    } else {
        constexpr std::string_view kDword = "dword:";
        if (!SameName(line.substr(pos, kDword.size()), kDword)) {
            return false;  // other types (hex:, hex(2):, ...) and "=-" deletions are not ours
        }
        pos += kDword.size();
        std::uint32_t number = 0;
        std::size_t digits = 0;
        for (; pos < line.size() && HexDigit(line[pos]) >= 0; ++pos, ++digits) {
            number = number * 16 + static_cast<std::uint32_t>(HexDigit(line[pos]));
        }
        if (digits == 0 || digits > 8) {
            return false;
        }
        value.is_dword = true;
        value.dword = number;
    }
    SkipBlanks(line, pos);
    return pos == line.size();
}

struct Parsed {
    Node root;
    // Lines that were not loaded (unreadable ones and comments): the file holds something that a
    // rewrite would drop.
    int dropped_lines = 0;
};

Parsed ParseFile(std::string_view text) {
    Parsed parsed;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    // The key the following value lines belong to; empty after a section line that could not be
    // read, so its values are not filed under the key before it.
    std::vector<std::string> section;
    bool in_section = false;
    bool seen_content = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view raw = text.substr(start, end - start);
        start = end + 1;
        const std::string_view line = Trim(raw);
        if (line.empty()) {
            continue;
        }
        const bool first = !seen_content;
        seen_content = true;
        bool readable = IsUtf8Text(line);
        for (char c : line) {
            if (c != '\t' && IsControl(static_cast<unsigned char>(c))) {
                readable = false;
            }
        }
        if (!readable) {
            ++parsed.dropped_lines;
            continue;
        }
        if (first && (line == kHeader || line == kOldHeader)) {
            continue;
        }
        if (line.front() == '[') {
            in_section = false;
            // The path runs from the first '[' to the last ']', so key names may hold brackets.
            // A leading '-' is the export syntax's "delete this key", which is not ours.
            const std::string_view path = line.size() >= 2 && line.back() == ']'
                                              ? line.substr(1, line.size() - 2)
                                              : std::string_view();
            const auto parts = SplitKey(path);
            if (parts.empty() || path.front() == '-') {
                ++parsed.dropped_lines;
                continue;
            }
            section.assign(parts.begin(), parts.end());
            in_section = true;
            CreateKey(parsed.root, parts);
            continue;
        }
        Value value;
        if (line.front() == ';' || !in_section || !ParseValueLine(line, value)) {
            ++parsed.dropped_lines;
            continue;
        }
        std::vector<std::string_view> parts(section.begin(), section.end());
        Node& node = CreateKey(parsed.root, parts);
        if (Value* existing = FindValue(node, value.name)) {
            // A repeated name: the later line wins, as an import would have it.
            value.name = existing->name;
            *existing = std::move(value);
        } else {
            node.values.push_back(std::move(value));
        }
    }
    return parsed;
}

void AppendNode(std::string& out, const Node& node, const std::string& path) {
    // Keys that only lead to others need no section of their own: their sub-keys' sections name
    // them. Empty leaves are written so that they keep existing.
    if (!path.empty() && (!node.values.empty() || node.children.empty())) {
        out += '[';
        out += path;
        out += "]\n";
        for (const Value& value : node.values) {
            if (value.name.empty()) {
                out += '@';
            } else {
                AppendQuoted(out, value.name);
            }
            out += '=';
            if (value.is_dword) {
                char digits[16];
                std::snprintf(digits, sizeof digits, "dword:%08x", value.dword);
                out += digits;
            } else {
                AppendQuoted(out, value.text);
            }
            out += '\n';
        }
        out += '\n';
    }
    for (const Node& child : node.children) {
        AppendNode(out, child, path.empty() ? child.name : path + '\\' + child.name);
    }
}

std::string FormatFile(const Node& root) {
    std::string out(kHeader);
    out += "\n\n";
    AppendNode(out, root, {});
    return out;
}

// ---------------------------------------------------------------------------------------------
// Files.

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void Reset() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

  private:
    int fd_ = -1;
};

// Up to `limit` + 1 bytes of `fd`, so that the caller can tell a file over the limit.
bool ReadAll(int fd, std::size_t limit, std::string& out) {
    out.clear();
    char buffer[16384];
    while (out.size() <= limit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return true;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

// Creates `folder` and missing parents, owner-only: settings hold the saved credentials.
bool MakeFolder(const std::filesystem::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode);
    }
    const std::filesystem::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !MakeFolder(parent)) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// What identifies one version of the data file. Holding the file open (see RootState) keeps its
// inode from being reused, so equal identities mean the same file unless it was edited in place,
// which size and the nanosecond times catch.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileIdentity Of(const struct stat& st) {
        return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    bool operator==(const FileIdentity& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

enum class FileState {
    kMissing,     // no file: an empty root
    kLoaded,      // parsed; see dropped_lines
    kUnreadable,  // there is something, but not a text file this store can read
};

struct Snapshot {
    FileState state = FileState::kMissing;
    Node root;
    int dropped_lines = 0;
};

// Copies `from` to the new file `to`; EEXIST in errno when `to` exists.
bool CopyExclusive(const std::filesystem::path& from, const std::filesystem::path& to) {
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!in.valid() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return false;
    }
    UniqueFd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!out.valid()) {
        return false;
    }
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 || (n > 0 && !WriteFully(out.get(), {buffer, static_cast<std::size_t>(n)}))) {
            ::unlink(to.c_str());
            errno = EIO;
            return false;
        }
        if (n == 0) {
            break;
        }
    }
    if (::fsync(out.get()) != 0) {
        ::unlink(to.c_str());
        return false;
    }
    return true;
}

std::string AsideBaseName(const std::filesystem::path& file) {
    const CivilTime t = DefaultClock().LocalNow();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return file.string() + ".unreadable-" + stamp;
}

// Keeps the current content of `file` under a new "<file>.unreadable-<time>" name. A hard link
// needs no read permission and leaves the data file in place for readers; a copy is the fallback
// where links are not possible.
bool KeepAside(const std::filesystem::path& file) {
    const std::string base = AsideBaseName(file);
    for (int n = 0; n < kMaxAsideNames; ++n) {
        const std::string name = n == 0 ? base : base + "-" + std::to_string(n);
        if (::link(file.c_str(), name.c_str()) == 0) {
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
        if (CopyExclusive(file, name)) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

// Removes temporary files that a writer of `file` left behind when it died mid-write. Called
// with the file lock held: every live writer holds it while its temporary file exists.
void RemoveStaleTemporaries(const std::filesystem::path& file) {
    const std::string prefix = file.filename().string() + ".tmp-";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(file.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
            ::unlink(it->path().c_str());
        }
    }
}

// Writes `text` to a new file beside `file` and renames it over `file`. On success `held` is the
// new file, open, and `identity` its identity; on failure `file` is untouched.
bool ReplaceFile(const std::filesystem::path& file, std::string_view text, UniqueFd& held,
                 FileIdentity& identity) {
    std::string temp = file.string() + ".tmp-XXXXXX";
    UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.valid()) {
        return false;
    }
    if (!WriteFully(fd.get(), text) || ::fsync(fd.get()) != 0 ||
        ::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename is what other processes see; make it durable too. It has happened either way,
    // so a failure here does not turn the write into a failure.
    UniqueFd folder(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) {
        ::fsync(folder.get());
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        held.Reset();
        identity = {};
        return true;
    }
    identity = FileIdentity::Of(st);
    held = std::move(fd);
    return true;
}

enum class Change { kChanged, kUnchanged, kNotFound };

}  // namespace

// ---------------------------------------------------------------------------------------------

struct FileSettingsStore::Impl {
    struct RootState {
        std::filesystem::path file;
        // Serialises this process's writers; other processes are kept out by the flock.
        std::mutex write_mutex;
        // Guards the fields below; held only to check the file and, when it changed, re-read it.
        std::mutex cache_mutex;
        std::shared_ptr<const Snapshot> snapshot;
        bool identity_known = false;
        FileIdentity identity;
        UniqueFd held;  // the file `snapshot` came from
        // The unreadable file already kept aside, so that a write that failed after keeping it
        // aside does not keep it again.
        bool aside_known = false;
        FileIdentity aside;
    };

    std::array<RootState, 2> roots;

    RootState& Of(SettingsRoot root) { return roots[root == SettingsRoot::kUser ? 0 : 1]; }

    // The snapshot of the file as it is now.
    static std::shared_ptr<const Snapshot> Current(RootState& r) {
        std::lock_guard lock(r.cache_mutex);
        Refresh(r);
        return r.snapshot;
    }

    // Called with cache_mutex held.
    static void Refresh(RootState& r) {
        struct stat st {};
        if (::stat(r.file.c_str(), &st) != 0) {
            const bool missing = errno == ENOENT || errno == ENOTDIR;
            if (missing && r.snapshot && r.snapshot->state == FileState::kMissing) {
                return;
            }
            auto snapshot = std::make_shared<Snapshot>();
            snapshot->state = missing ? FileState::kMissing : FileState::kUnreadable;
            SetSnapshot(r, std::move(snapshot), UniqueFd(), nullptr);
            return;
        }
        if (r.snapshot && r.identity_known && FileIdentity::Of(st) == r.identity) {
            return;
        }
        auto snapshot = std::make_shared<Snapshot>();
        snapshot->state = FileState::kUnreadable;
        UniqueFd fd(::open(r.file.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.valid()) {
            // Unreadable (permissions): remember which file, so the next read does not retry.
            const FileIdentity identity = FileIdentity::Of(st);
            SetSnapshot(r, std::move(snapshot), UniqueFd(), &identity);
            return;
        }
        // The identity is taken before reading, so a change during the read shows next time.
        std::string text;
        if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<std::uint64_t>(st.st_size) <= kMaxFileBytes &&
            ReadAll(fd.get(), kMaxFileBytes, text) && text.size() <= kMaxFileBytes) {
            Parsed parsed = ParseFile(text);
            snapshot->state = FileState::kLoaded;
            snapshot->root = std::move(parsed.root);
            snapshot->dropped_lines = parsed.dropped_lines;
        }
        const FileIdentity identity = FileIdentity::Of(st);
        SetSnapshot(r, std::move(snapshot), std::move(fd), &identity);
    }

    static void SetSnapshot(RootState& r, std::shared_ptr<const Snapshot> snapshot, UniqueFd held,
                            const FileIdentity* identity) {
        r.snapshot = std::move(snapshot);
        r.held = std::move(held);
        r.identity_known = identity != nullptr;
        r.identity = identity != nullptr ? *identity : FileIdentity{};
    }

    // Applies `change` to the newest content under the file lock and writes the result. True when
    // the change was written or changed nothing.
    bool Update(const std::filesystem::path& folder, SettingsRoot root,
                const std::function<Change(Node&)>& change) {
        RootState& r = Of(root);
        std::lock_guard write_lock(r.write_mutex);
        if (!MakeFolder(folder)) {
            return false;
        }
        const std::string lock_path = r.file.string() + ".lock";
        UniqueFd lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (!lock.valid()) {
            return false;
        }
        while (::flock(lock.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                return false;
            }
        }
        // The lock is released when `lock` closes, on every return below.
        std::shared_ptr<const Snapshot> current;
        FileIdentity identity;
        bool identity_known;
        {
            std::lock_guard cache_lock(r.cache_mutex);
            Refresh(r);
            current = r.snapshot;
            identity = r.identity;
            identity_known = r.identity_known;
        }
        Node tree = current->root;
        const Change result = change(tree);
        if (result != Change::kChanged) {
            return result == Change::kUnchanged;
        }
        const std::string text = FormatFile(tree);
        if (text.size() > kMaxFileBytes) {
            return false;
        }
        const bool keep = current->state == FileState::kUnreadable ||
                          (current->state == FileState::kLoaded && current->dropped_lines > 0);
        if (keep) {
            const bool already = identity_known && r.aside_known && r.aside == identity;
            if (!already) {
                if (!KeepAside(r.file)) {
                    return false;
                }
                r.aside_known = identity_known;
                r.aside = identity;
            }
        }
        RemoveStaleTemporaries(r.file);
        UniqueFd held;
        FileIdentity written;
        if (!ReplaceFile(r.file, text, held, written)) {
            return false;
        }
        auto snapshot = std::make_shared<Snapshot>();
        snapshot->state = FileState::kLoaded;
        snapshot->root = std::move(tree);
        std::lock_guard cache_lock(r.cache_mutex);
        const bool known = held.valid();
        SetSnapshot(r, std::move(snapshot), std::move(held), known ? &written : nullptr);
        return true;
    }
};

FileSettingsStore::FileSettingsStore(std::filesystem::path folder)
    : folder_(std::move(folder)), impl_(std::make_unique<Impl>()) {
    impl_->Of(SettingsRoot::kUser).file = FileOf(SettingsRoot::kUser);
    impl_->Of(SettingsRoot::kMachine).file = FileOf(SettingsRoot::kMachine);
}

FileSettingsStore::~FileSettingsStore() = default;

std::filesystem::path FileSettingsStore::FileOf(SettingsRoot root) const {
    return folder_ / (root == SettingsRoot::kUser ? "user.reg" : "machine.reg");
}

std::optional<std::uint32_t> FileSettingsStore::GetDword(SettingsRoot root, std::string_view key,
                                                         std::string_view name) {
    const auto snapshot = Impl::Current(impl_->Of(root));
    const Node* node = FindKey(snapshot->root, SplitKey(key));
    if (node == nullptr) {
        return std::nullopt;
    }
    const Value* value = FindValue(*node, name);
    if (value == nullptr || !value->is_dword) {
        return std::nullopt;
    }
    return value->dword;
}

std::optional<std::string> FileSettingsStore::GetString(SettingsRoot root, std::string_view key,
                                                        std::string_view name) {
    const auto snapshot = Impl::Current(impl_->Of(root));
    const Node* node = FindKey(snapshot->root, SplitKey(key));
    if (node == nullptr) {
        return std::nullopt;
    }
    const Value* value = FindValue(*node, name);
    if (value == nullptr || value->is_dword) {
        return std::nullopt;
    }
    return value->text;
}

namespace {

// The change that stores `wanted` (name, type and data) under `parts`.
std::function<Change(Node&)> SetValue(std::vector<std::string_view> parts, Value wanted) {
    return [parts = std::move(parts), wanted = std::move(wanted)](Node& root) {
        Node& node = CreateKey(root, parts);
        Value* value = FindValue(node, wanted.name);
        if (value == nullptr) {
            node.values.push_back(wanted);
            return Change::kChanged;
        }
        if (value->is_dword == wanted.is_dword && value->dword == wanted.dword &&
            value->text == wanted.text) {
            return Change::kUnchanged;
        }
        value->is_dword = wanted.is_dword;
        value->dword = wanted.dword;
        value->text = wanted.text;
        return Change::kChanged;
    };
}

}  // namespace

bool FileSettingsStore::SetDword(SettingsRoot root, std::string_view key, std::string_view name,
                                 std::uint32_t value) {
    auto parts = SplitKey(key);
    if (!IsWritableKey(parts)) {
        return false;
    }
    return impl_->Update(folder_, root,
                         SetValue(std::move(parts), Value{std::string(name), true, value, {}}));
}

bool FileSettingsStore::SetString(SettingsRoot root, std::string_view key, std::string_view name,
                                  std::string_view value) {
    auto parts = SplitKey(key);
    if (!IsWritableKey(parts)) {
        return false;
    }
    return impl_->Update(
        folder_, root,
        SetValue(std::move(parts), Value{std::string(name), false, 0, std::string(value)}));
}

bool FileSettingsStore::KeyExists(SettingsRoot root, std::string_view key) {
    const auto snapshot = Impl::Current(impl_->Of(root));
    return FindKey(snapshot->root, SplitKey(key)) != nullptr;
}

bool FileSettingsStore::DeleteValue(SettingsRoot root, std::string_view key,
                                    std::string_view name) {
    const auto parts = SplitKey(key);
    return impl_->Update(folder_, root, [&](Node& tree) {
        Node* node = FindKey(tree, parts);
        if (node == nullptr) {
            return Change::kNotFound;
        }
        for (auto it = node->values.begin(); it != node->values.end(); ++it) {
            if (SameName(it->name, name)) {
                node->values.erase(it);
                return Change::kChanged;
            }
        }
        return Change::kNotFound;
    });
}

bool FileSettingsStore::DeleteKey(SettingsRoot root, std::string_view key) {
    auto parts = SplitKey(key);
    if (parts.empty()) {
        return false;  // the root itself cannot go
    }
    const std::string_view last = parts.back();
    parts.pop_back();
    return impl_->Update(folder_, root, [&](Node& tree) {
        Node* parent = FindKey(tree, parts);
        if (parent == nullptr) {
            return Change::kNotFound;
        }
        for (auto it = parent->children.begin(); it != parent->children.end(); ++it) {
            if (SameName(it->name, last)) {
                parent->children.erase(it);
                return Change::kChanged;
            }
        }
        return Change::kNotFound;
    });
}

std::filesystem::path DefaultSettingsFolder() {
    const char* explicit_folder = std::getenv("MAPVALE_SETTINGS_DIR");
    if (explicit_folder != nullptr && *explicit_folder != '\0') {
        return explicit_folder;
    }
    std::filesystem::path config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    if (xdg != nullptr && *xdg == '/') {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        std::filesystem::path home_path;
        if (home != nullptr && *home != '\0') {
            home_path = home;
        } else {
            struct passwd entry {};
            struct passwd* found = nullptr;
            char buffer[4096];
            if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 &&
                found != nullptr && found->pw_dir != nullptr) {
                home_path = found->pw_dir;
            }
        }
        config = home_path / ".config";
    }
    return config / "velmora" / "registry";
}

}  // namespace mapvale::platform
