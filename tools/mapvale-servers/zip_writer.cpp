#include "mapvale-servers/zip_writer.h"

#include <zip.h>

#include <ctime>

#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

// 2024-01-01 00:00:00 UTC: members made in memory get a fixed date, so that a world made twice
// holds the same archives.
constexpr std::time_t kFixedTime = 1704067200;

}  // namespace

bool WriteZipArchive(const std::string& path, const std::vector<ZipMember>& members,
                     std::string& error) {
    platform::DeleteFileForce(path);
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (archive == nullptr) {
        zip_error_t zip_error;
        zip_error_init_with_code(&zip_error, code);
        error = "cannot create " + path + ": " + zip_error_strerror(&zip_error);
        zip_error_fini(&zip_error);
        return false;
    }
    const auto fail = [&](const std::string& what) {
        error = what;
        zip_discard(archive);
        platform::DeleteFileForce(path);
        return false;
    };
    for (const ZipMember& member : members) {
        const platform::Converted name = platform::Utf8ToCp949(member.name);
        if (!name.ok() || name.text.empty()) {
            return fail("the member name \"" + member.name + "\" has no CP949 form");
        }
        zip_source_t* source =
            member.bytes ? zip_source_buffer(archive, member.bytes->data(), member.bytes->size(), 0)
                         : zip_source_file(archive, member.source_path.c_str(), 0, -1);
        if (source == nullptr) {
            return fail("cannot read " + (member.bytes ? member.name : member.source_path) + ": " +
                        zip_strerror(archive));
        }
        // ZIP_FL_ENC_GUESS never marks bytes that are not declared UTF-8 as UTF-8, so the CP949
        // name goes in unmarked whatever bytes it holds.
        const zip_int64_t index =
            zip_file_add(archive, name.text.c_str(), source, ZIP_FL_ENC_GUESS | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            return fail("cannot add " + member.name + ": " + zip_strerror(archive));
        }
        if (member.bytes &&
            zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), kFixedTime, 0) != 0) {
            return fail("cannot date " + member.name + ": " + zip_strerror(archive));
        }
    }
    // The sources are read here; the buffers of `members` are still alive.
    if (zip_close(archive) != 0) {
        return fail("cannot write " + path + ": " + zip_strerror(archive));
    }
    return true;
}

}  // namespace mapvale::servers
