#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::servers {

class HttpServer;

// One part of a multipart form, as the portal reads it.
struct FormPart {
    std::string name;
    std::string file_name;     // empty for a text field
    std::string content_type;  // the part's own Content-Type, when it has one
    std::string value;         // the bytes between the part's header and its line break
};

// Takes a multipart/form-data body apart strictly: `content_type` must name the boundary; the
// body must start with the first boundary line, every part must have a form-data
// Content-Disposition with a quoted name, and the closing boundary + "--\r\n" must end the body
// exactly. Nothing when anything is off.
std::optional<std::vector<FormPart>> ParseMultipart(std::string_view content_type,
                                                    std::string_view body);

// The photo board of the ORLA portal:
// - "/WMKproduct/picroute/picroute_regist.mms" (POST, multipart): an upload with the fields
//   contents, kind, location, subject, upload_file, userid in this order (400 for anything
//   else). DIR/picroute.conf (read at every upload) says what happens: `upload = accept` (the
//   default) records it under DIR/picroute-uploads/upload-<n>/ (fields.txt: one "name: value"
//   line per field in order, the file's name and type; photo.bin: the file; headers.txt: the agent
//   and the cache headers) and answers BOM + "OK"; `refuse` answers BOM + "NotOK|" + `reason` (in
//   UTF-8, or CP949 with `reason-charset = cp949`); `drop` answers 500 without a body; `short`
//   answers the BOM alone.
// - "/WMKproduct/picroute/board.mms": the board as JSON, [{"name": ..., "url": ...}], the
//   sample photos first, then every recorded upload.
// - "/WMKproduct/picroute/photo/<name>.jpg" (any verb): a photo of the board.
class PicrouteApi {
public:
    explicit PicrouteApi(std::string world_folder) : folder_(std::move(world_folder)) {}
    void AddTo(HttpServer& server);

private:
    std::string folder_;
    std::mutex mutex_;  // uploads are numbered one at a time
};

}  // namespace mapvale::servers
