#include "mapvale-servers/world_update_server.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/constants.h"
#include "mapvale-servers/zip_writer.h"
#include "platform/files.h"
#include "update/patch_entry.h"
#include "update/patch_list.h"
#include "update/update_job.h"

namespace mapvale::servers {
namespace {

// WorldLayout names the local list itself; it must stay the file the programs read.
static_assert(app::kUpdateListFile == "Info/UpdateInfo.txt");

constexpr std::int32_t kInstalledVersion = 1;
constexpr std::int32_t kOfferedVersion = 2;

// The event code of the notice. A tray agent that stored another code shows the page once.
constexpr std::string_view kNoticeCode = "#!#1#!#";

constexpr std::string_view kNoticePageText = R"(<!DOCTYPE html>
<html lang="ko">
<head>
<meta charset="utf-8">
<title>알림</title>
<style>
body { margin: 0; font-family: sans-serif; background: #f4f6f8; color: #222; }
main { padding: 16px 20px; }
h1 { font-size: 18px; margin: 0 0 12px; }
p { font-size: 13px; line-height: 1.6; margin: 0 0 8px; }
.buttons { text-align: right; margin-top: 16px; }
button { font-size: 13px; margin-left: 6px; padding: 4px 12px; }
</style>
</head>
<body>
<main>
<h1>새 지도 업데이트 안내</h1>
<p>최신 지도와 안전운전 정보가 준비되었습니다.</p>
<p>메모리카드를 PC에 연결한 뒤 [지금 업데이트]를 누르면 업데이트 프로그램이 시작됩니다.</p>
<div class="buttons">
<button id="update">지금 업데이트</button>
<button id="close">닫기</button>
</div>
</main>
<script>
(function () {
  // The notice window gives the page these functions; a browser has none of them.
  function call(name, args) {
    var host = window.external;
    if (host && host[name]) {
      host[name].apply(host, args || []);
      return true;
    }
    return false;
  }
  function closeNotice() {
    if (!call("__WindowClose")) {
      window.close();
    }
  }
  call("__WindowSize", [420, 260]);
  document.getElementById("update").onclick = function () {
    call("__WindowExec");
    closeNotice();
  };
  document.getElementById("close").onclick = closeNotice;
})();
</script>
</body>
</html>
)";

std::string NoticeText(std::int32_t version) {
    const std::string number = std::to_string(version);
    return "자체 업데이트 알림 (버전 " + number +
           ")\r\n\r\n"
           "데모 업데이트 서버가 내려 주는 파일입니다. 이 파일의 버전은 " +
           number +
           "입니다.\r\n"
           "프로그램 파일이 아니므로 업데이트되어도 실행 중인 프로그램에는 영향이 없습니다.\r\n";
}

std::string GuidePage(std::int32_t version) {
    const std::string number = std::to_string(version);
    return "<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"utf-8\">"
           "<title>업데이트 안내</title></head>\n<body><h1>업데이트 안내</h1>\n<p>안내 페이지 "
           "버전 " +
           number + "</p></body></html>\n";
}

// One file of the self-update at one version.
struct PatchFile {
    update::PatchEntry entry;
    std::string bytes;  // as installed in the program folder
};

update::PatchEntry Entry(std::string_view path, std::int32_t version, bool archive) {
    update::PatchEntry entry;
    entry.version = version;
    entry.archive = archive ? 1 : 0;
    const std::size_t slash = path.rfind('/');
    entry.folder = std::string(path.substr(0, slash + 1));
    entry.name = std::string(path.substr(slash + 1));
    return entry;
}

std::vector<PatchFile> PatchFiles(std::int32_t version) {
    return {{Entry(kUpdateNoticeFile, version, false), NoticeText(version)},
            {Entry(kUpdateGuideFile, version, true), GuidePage(version)}};
}

std::vector<update::PatchEntry> Entries(const std::vector<PatchFile>& files) {
    std::vector<update::PatchEntry> entries;
    for (const PatchFile& file : files) {
        entries.push_back(file.entry);
    }
    return entries;
}

class UpdateServerWriter {
public:
    UpdateServerWriter(const WorldLayout& layout, std::string& error)
        : layout_(layout), error_(error) {}

    bool Write(bool offer_update) {
        const std::vector<PatchFile> installed = PatchFiles(kInstalledVersion);
        const std::vector<PatchFile> offered =
            offer_update ? PatchFiles(kOfferedVersion) : installed;
        for (const PatchFile& file : installed) {
            if (!Put(platform::JoinPath(layout_.ProgramFolder(), file.entry.path()), file.bytes)) {
                return false;
            }
        }
        if (!Put(layout_.UpdateList(), update::FormatPatchList(Entries(installed)))) {
            return false;
        }
        for (const PatchFile& file : offered) {
            if (!Put(platform::JoinPath(layout_.SelfUpdateSources(), file.entry.path()),
                     file.bytes)) {
                return false;
            }
        }
        return WriteAreas(offered) && WriteNotice();
    }

private:
    bool Put(const std::string& path, std::string_view bytes) {
        if (!platform::CreateFolderChain(std::filesystem::path(path).parent_path().string()) ||
            !platform::WriteFileAtomic(path, bytes)) {
            error_ = "cannot write " + path;
            return false;
        }
        return true;
    }

    std::string Content(std::string_view path) const {
        return layout_.Content() + std::string(path);
    }

    // What the server hands out for the file: the file itself, or a zip archive holding it
    // under its path below the program folder (where the unpacker puts it).
    std::optional<std::string> Download(const PatchFile& file) {
        if (!file.entry.is_archive()) {
            return file.bytes;
        }
        const std::string scratch = platform::JoinPath(layout_.Sources(), ".scratch-update");
        const std::string archive = platform::JoinPath(scratch, update::DownloadName(file.entry));
        std::optional<std::string> bytes;
        if (!platform::CreateFolderChain(scratch)) {
            error_ = "cannot create " + scratch;
        } else if (WriteZipArchive(archive, {{file.entry.path(), {}, file.bytes}}, error_)) {
            bytes = platform::ReadWholeFile(archive);
            if (!bytes) {
                error_ = "cannot read " + archive;
            }
        }
        platform::DeleteFolderTree(scratch);
        return bytes;
    }

    bool WriteAreas(const std::vector<PatchFile>& files) {
        const std::string list = "DlgView=true\r\n" + update::FormatPatchList(Entries(files));
        const std::string areas[] = {Content(update::kUpdaterPatchArea),
                                     Content(update::kTrayPatchArea)};
        for (const std::string& area : areas) {
            if (!Put(area + std::string(update::kServerPatchListName), list)) {
                return false;
            }
        }
        for (const PatchFile& file : files) {
            const auto bytes = Download(file);
            if (!bytes) {
                return false;
            }
            const std::string name = update::DownloadName(file.entry);
            for (const std::string& area : areas) {
                if (!Put(area + name, *bytes) ||
                    !Put(area + std::string(update::kPatchFolder) + name, *bytes)) {
                    return false;
                }
            }
        }
        return true;
    }

    bool WriteNotice() {
        const std::string folder = Content(kNoticeFolder);
        return Put(folder + std::string(kNoticeCodeFile), kNoticeCode) &&
               Put(folder + std::string(kNoticePage), kNoticePageText);
    }

    const WorldLayout& layout_;
    std::string& error_;
};

}  // namespace

bool WriteUpdateServer(const WorldLayout& layout, bool offer_update, std::string& error) {
    return UpdateServerWriter(layout, error).Write(offer_update);
}

}  // namespace mapvale::servers
