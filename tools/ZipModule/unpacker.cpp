#include "ZipModule/unpacker.h"

#include <sys/stat.h>
#include <zip.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "ZipModule/archive_start.h"
#include "ZipModule/member_name.h"
#include "ZipModule/replacement_file.h"
#include "ZipModule/volume_set.h"
#include "ZipModule/volume_source.h"
#include "platform/files.h"

namespace mapvale::zipmodule {

namespace {

// Longer link targets than any system accepts are not links this program has to judge.
constexpr std::size_t kMaxLinkTarget = 4096;

Outcome Failure(ExitCode code, std::string reason) {
    return {code, Printable(reason)};
}

bool IsTransientError(int error) {
    return error == EAGAIN || error == EBUSY || error == ETXTBSY || error == EMFILE ||
           error == ENFILE || error == ENOMEM || error == EINTR;
}

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

// One member as it will be written.
struct Member {
    zip_uint64_t index = 0;
    std::string path;  // below the destination; ends in '/' for a folder
    bool folder = false;
    std::optional<mode_t> mode;  // permission bits the archive gives
    std::optional<std::time_t> mtime;
    std::optional<zip_uint64_t> size;
};

// The whole run on one archive, with the state its steps share.
class Unpacker {
  public:
    Unpacker(std::string archive_path, std::string destination)
        : archive_path_(std::move(archive_path)), destination_(std::move(destination)) {}

    Outcome Run();

  private:
    Outcome OpenVolumes();
    Outcome OpenArchive();
    Outcome Plan();
    Outcome CheckLink(const Member& member, const std::string& name);
    Outcome Extract();
    Outcome ExtractFile(const Member& member, const std::string& target);
    // The outcome of a libzip error met while reading `name`'s data.
    Outcome DataFailure(zip_error_t* error, const std::string& name);
    // The outcome of a failed read of the volumes, met directly or through libzip (`error`).
    Outcome ReadFailure(zip_error_t* error);
    ArchiveStart Locate(VolumeReader& reader);

    std::string archive_path_;
    std::string destination_;
    std::unique_ptr<VolumeReader> reader_;
    std::uint64_t archive_offset_ = 0;
    ZipArchive archive_;
    std::vector<Member> members_;
    std::vector<unsigned char> buffer_;
    mode_t umask_ = 022;
};

Outcome Unpacker::Run() {
    Outcome outcome = OpenVolumes();
    if (outcome.ok()) {
        outcome = OpenArchive();
    }
    if (outcome.ok()) {
        outcome = Plan();
    }
    if (outcome.ok()) {
        outcome = Extract();
    }
    return outcome;
}

ArchiveStart Unpacker::Locate(VolumeReader& reader) {
    return FindArchiveStart(reader.size(),
                            [&reader](std::uint64_t offset, void* buffer, std::size_t length) {
                                return reader.ReadExact(offset, buffer, length);
                            });
}

Outcome Unpacker::OpenVolumes() {
    VolumeListing listing = ListVolumes(archive_path_);
    switch (listing.problem) {
        case VolumeListing::Problem::kNone:
            break;
        case VolumeListing::Problem::kArchiveMissing:
            return Failure(ExitCode::kUnreadable, "archive not found: " + archive_path_);
        case VolumeListing::Problem::kLastVolumeMissing:
            return Failure(ExitCode::kTransient, "the last volume " + archive_path_ +
                                                     " is not there yet while " +
                                                     VolumePath(archive_path_, 0) + " is");
        case VolumeListing::Problem::kUnreadable:
            return Failure(
                IsTransientError(listing.error) ? ExitCode::kTransient : ExitCode::kUnreadable,
                "cannot examine " + listing.failed_path + ": " + std::strerror(listing.error));
    }
    if (const Volume* busy = FindVolumeBeingWritten(listing.volumes)) {
        return Failure(ExitCode::kTransient,
                       busy->path + " is still being written by another program");
    }
    const std::size_t count = listing.volumes.size();
    reader_ = std::make_unique<VolumeReader>(std::move(listing.volumes));
    ArchiveStart start = Locate(*reader_);
    // Leftover volumes of an earlier, longer set make the stream longer than the directory
    // says, which looks like a stub in front. The set that puts the archive at 0 is the one.
    if (start.status == ArchiveStart::Status::kFound && start.offset > 0 && count > 1) {
        const std::vector<Volume> all = reader_->volumes();
        for (std::size_t keep = count - 1; keep-- > 0;) {
            std::vector<Volume> fewer(all.begin(), all.begin() + static_cast<long>(keep));
            fewer.push_back(all.back());
            auto reader = std::make_unique<VolumeReader>(std::move(fewer));
            const ArchiveStart shorter = Locate(*reader);
            if (shorter.status == ArchiveStart::Status::kFound && shorter.offset == 0) {
                reader_ = std::move(reader);
                start = shorter;
                break;
            }
        }
    }
    switch (start.status) {
        case ArchiveStart::Status::kFound:
            archive_offset_ = start.offset;
            return {};
        case ArchiveStart::Status::kNoDirectoryEnd:
            return Failure(ExitCode::kBadArchive,
                           archive_path_ + " is not a zip archive, or its end is missing");
        case ArchiveStart::Status::kBadDirectory:
            return Failure(ExitCode::kBadArchive,
                           archive_path_ + ": no central directory where the end record points");
        case ArchiveStart::Status::kMissingBytes:
            return Failure(ExitCode::kBadArchive,
                           archive_path_ + ": " + std::to_string(start.missing) +
                               " bytes are missing before the central directory (a volume "
                               "missing or cut short)");
        case ArchiveStart::Status::kReadError:
            break;
    }
    return ReadFailure(nullptr);
}

Outcome Unpacker::OpenArchive() {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        CreateVolumeSource(*reader_, archive_offset_, reader_->size() - archive_offset_, &error);
    if (source != nullptr) {
        archive_.reset(zip_open_from_source(source, ZIP_RDONLY, &error));
        if (!archive_) {
            zip_source_free(source);
        }
    }
    Outcome outcome;
    if (!archive_) {
        const int code = zip_error_code_zip(&error);
        if (code == ZIP_ER_READ || code == ZIP_ER_SEEK || code == ZIP_ER_TELL) {
            outcome = ReadFailure(&error);
        } else {
            outcome =
                Failure(ExitCode::kBadArchive, archive_path_ + ": " + zip_error_strerror(&error));
        }
    }
    zip_error_fini(&error);
    return outcome;
}

Outcome Unpacker::Plan() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    umask_ = mask;
    const zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
    members_.reserve(static_cast<std::size_t>(count < 0 ? 0 : count));
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* raw = zip_get_name(archive_.get(), index, ZIP_FL_ENC_RAW);
        // Without the UTF-8 mark libzip converts every name that is not plain ASCII from
        // CP437; when that leaves the bytes as they are, the name is ASCII or marked UTF-8.
        const char* strict = zip_get_name(archive_.get(), index, ZIP_FL_ENC_STRICT);
        if (raw == nullptr || strict == nullptr) {
            return Failure(ExitCode::kBadArchive,
                           archive_path_ + ": " + zip_strerror(archive_.get()));
        }
        const std::optional<std::string> name =
            DecodeMemberName(raw, std::strcmp(raw, strict) == 0);
        if (!name) {
            return Failure(ExitCode::kUnsafeMember,
                           "member name is neither CP949 nor UTF-8: " + std::string(raw));
        }
        std::optional<std::string> path = MemberPath(*name);
        if (!path) {
            return Failure(ExitCode::kUnsafeMember,
                           "member name would leave the destination folder: " + *name);
        }
        zip_stat_t stat;
        if (zip_stat_index(archive_.get(), index, 0, &stat) != 0) {
            return Failure(ExitCode::kBadArchive,
                           archive_path_ + ": " + zip_strerror(archive_.get()));
        }
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 &&
            stat.encryption_method != ZIP_EM_NONE) {
            return Failure(ExitCode::kUnsupported, "member is encrypted: " + *name);
        }
        if ((stat.valid & ZIP_STAT_COMP_METHOD) != 0 &&
            !zip_compression_method_supported(stat.comp_method, 0)) {
            return Failure(ExitCode::kUnsupported, "member uses compression method " +
                                                       std::to_string(stat.comp_method) + ": " +
                                                       *name);
        }
        Member member;
        member.index = index;
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        mode_t type = 0;
        if (zip_file_get_external_attributes(archive_.get(), index, 0, &system, &attributes) == 0 &&
            system == ZIP_OPSYS_UNIX) {
            const auto unix_mode = static_cast<mode_t>(attributes >> 16);
            type = unix_mode & S_IFMT;
            // A link's bits (usually 0777) say nothing about the file that stands in for it.
            if ((unix_mode & 0777) != 0 && type != S_IFLNK) {
                member.mode = (unix_mode & 0777) | S_IRUSR | S_IWUSR;
            }
        }
        member.folder = path->back() == '/' || type == S_IFDIR;
        if (member.folder && path->back() != '/') {
            path->push_back('/');
        }
        member.path = std::move(*path);
        if ((stat.valid & ZIP_STAT_MTIME) != 0) {
            member.mtime = stat.mtime;
        }
        if ((stat.valid & ZIP_STAT_SIZE) != 0) {
            member.size = stat.size;
        }
        if (type == S_IFLNK && !member.folder) {
            Outcome outcome = CheckLink(member, *name);
            if (!outcome.ok()) {
                return outcome;
            }
        }
        members_.push_back(std::move(member));
    }
    return {};
}

Outcome Unpacker::CheckLink(const Member& member, const std::string& name) {
    ZipFile file(zip_fopen_index(archive_.get(), member.index, 0));
    if (!file) {
        return DataFailure(zip_get_error(archive_.get()), name);
    }
    std::string target(kMaxLinkTarget + 1, '\0');
    std::size_t length = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), target.data() + length, target.size() - length);
        if (n < 0) {
            return DataFailure(zip_file_get_error(file.get()), name);
        }
        if (n == 0) {
            break;
        }
        length += static_cast<std::size_t>(n);
        if (length == target.size()) {
            return Failure(ExitCode::kUnsafeMember, "link target too long: " + name);
        }
    }
    target.resize(length);
    if (!LinkStaysInside(member.path, target)) {
        return Failure(ExitCode::kUnsafeMember,
                       "link would point outside the destination: " + name + " -> " + target);
    }
    return {};
}

Outcome Unpacker::ReadFailure(zip_error_t* error) {
    const int system_error = reader_->error() != 0 ? reader_->error()
                             : error != nullptr    ? zip_error_code_system(error)
                                                   : 0;
    std::string reason = reader_->failure();
    if (reason.empty()) {
        reason = "cannot read " + archive_path_ +
                 (error != nullptr ? std::string(": ") + zip_error_strerror(error) : "");
    }
    return Failure(IsTransientError(system_error) ? ExitCode::kTransient : ExitCode::kUnreadable,
                   reason);
}

Outcome Unpacker::DataFailure(zip_error_t* error, const std::string& name) {
    switch (zip_error_code_zip(error)) {
        case ZIP_ER_CRC:
            return Failure(ExitCode::kBadData, "CRC mismatch in member " + name);
        case ZIP_ER_READ:
        case ZIP_ER_SEEK:
        case ZIP_ER_TELL:
            return ReadFailure(error);
        case ZIP_ER_ENCRNOTSUPP:
        case ZIP_ER_NOPASSWD:
        case ZIP_ER_COMPNOTSUPP:
            return Failure(ExitCode::kUnsupported,
                           "cannot decode member " + name + ": " + zip_error_strerror(error));
        default:
            return Failure(ExitCode::kBadData,
                           "damaged member " + name + ": " + zip_error_strerror(error));
    }
}

Outcome Unpacker::Extract() {
    if (!platform::CreateFolderChain(destination_)) {
        return Failure(ExitCode::kWriteFailed,
                       "cannot create the destination folder " + destination_);
    }
    buffer_.resize(kCopyBufferSize);
    for (const Member& member : members_) {
        const std::string target = platform::JoinPath(destination_, member.path);
        if (member.folder) {
            if (!platform::CreateFolderChain(target)) {
                return Failure(ExitCode::kWriteFailed, "cannot create the folder " + target);
            }
            continue;
        }
        const std::size_t slash = target.rfind('/');
        if (slash != std::string::npos && slash > 0 &&
            !platform::CreateFolderChain(target.substr(0, slash))) {
            return Failure(ExitCode::kWriteFailed,
                           "cannot create the folder " + target.substr(0, slash));
        }
        Outcome outcome = ExtractFile(member, target);
        if (!outcome.ok()) {
            return outcome;
        }
    }
    return {};
}

Outcome Unpacker::ExtractFile(const Member& member, const std::string& target) {
    ZipFile file(zip_fopen_index(archive_.get(), member.index, 0));
    if (!file) {
        return DataFailure(zip_get_error(archive_.get()), member.path);
    }
    ReplacementFile out(target);
    if (!out.Open()) {
        return Failure(
            IsTransientError(out.error()) ? ExitCode::kTransient : ExitCode::kWriteFailed,
            out.error_text());
    }
    zip_uint64_t total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer_.data(), buffer_.size());
        if (n < 0) {
            return DataFailure(zip_file_get_error(file.get()), member.path);
        }
        if (n == 0) {
            break;
        }
        if (!out.Write(buffer_.data(), static_cast<std::size_t>(n))) {
            return Failure(ExitCode::kWriteFailed, out.error_text());
        }
        total += static_cast<zip_uint64_t>(n);
    }
    if (member.size && total != *member.size) {
        return Failure(ExitCode::kBadData, "member " + member.path + " holds " +
                                               std::to_string(total) + " bytes instead of " +
                                               std::to_string(*member.size));
    }
    mode_t mode = 0666 & ~umask_;
    struct stat existing {};
    if (member.mode) {
        mode = *member.mode;
    } else if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        mode = existing.st_mode & 0777;  // a replaced file keeps its permissions
    }
    if (!out.Commit(mode, member.mtime)) {
        return Failure(ExitCode::kWriteFailed, out.error_text());
    }
    return {};
}

}  // namespace

Outcome Unpack(const std::string& archive_path, const std::string& destination) {
    return Unpacker(archive_path, destination).Run();
}

}  // namespace mapvale::zipmodule
