#include "update/update_job.h"

#include <algorithm>
#include <system_error>

#include "app/constants.h"
#include "model/messages.h"
#include "platform/files.h"
#include "update/package_managed.h"
#include "update/patch_install.h"
#include "update/patch_list.h"

namespace mapvale::update {
namespace {

constexpr int kHttpPort = 80;
// The unpacker's archive-only form puts the files under this folder.
constexpr const char* kProgramFolderVariable = "MAPVALE_PROGRAM_DIR";

platform::InstanceService& DefaultInstances() {
    static platform::SocketInstanceService service;
    return service;
}

}  // namespace

UpdateJob::UpdateJob(UpdateSetup setup)
    : setup_(std::move(setup)),
      program_folder_(platform::NormalizeFolder(setup_.program_folder)),
      base_path_(setup_.role == UpdateRole::kTrayAgent ? kTrayPatchArea : kUpdaterPatchArea),
      launcher_(setup_.launcher != nullptr ? *setup_.launcher : platform::DefaultProcessLauncher()),
      instances_(setup_.instances != nullptr ? *setup_.instances : DefaultInstances()),
      sleeper_(setup_.sleeper != nullptr ? *setup_.sleeper : platform::DefaultSleeper()) {
    web_.SetSleeper(&sleeper_);
}

UpdateJob::~UpdateJob() {
    Cancel();
    Wait();
}

void UpdateJob::DeleteOldPrograms() {
    for (const std::string_view program :
         {app::kUpdaterProgram, app::kTrayProgram, app::kUnpackerProgram}) {
        platform::DeleteFileForce(program_folder_ + std::string(kOldCopyPrefix) +
                                  std::string(program));
    }
    // Programs elsewhere in the folder are left behind the same way when they are replaced.
    for (const PatchEntry& entry : local_) {
        const std::string folder = program_folder_ + entry.folder;
        if (IsProgramFile(entry.name, folder + entry.name)) {
            platform::DeleteFileForce(folder + std::string(kOldCopyPrefix) + entry.name);
        }
    }
}

int UpdateJob::Check() {
    server_.clear();
    outcomes_.clear();
    show_dialog_ = false;
    // The package manager brings new versions of a packaged install; the folder is not ours to
    // change, and asking the server would only end in an elevated restart of the whole program.
    if (IsPackageManaged(program_folder_)) {
        local_.clear();
        return kCheckNothingToDo;
    }
    local_ = ReadLocalPatchList(program_folder_ + std::string(app::kUpdateListFile));
    DeleteOldPrograms();

    const std::string path = base_path_ + std::string(kServerPatchListName);
    const int probe = web_.SendRequestNoReply(setup_.host, path, kHttpPort, "GET", false);
    if (probe < 0) {
        return probe;
    }
    net::WebResponse response;
    if (web_.SendRequest(setup_.host, path, response, kHttpPort, "GET", false) != 1) {
        return kCheckNothingToDo;
    }
    ServerPatchList list = ParseServerPatchList(response.Text());
    server_ = std::move(list.entries);
    show_dialog_ = list.show_dialog;
    int result = kCheckNothingToDo;
    for (const PatchEntry& entry : server_) {
        const bool current = IsCurrent(entry, local_);
        outcomes_.push_back(current ? EntryOutcome::kCurrent : EntryOutcome::kFailed);
        if (!current) {
            result = kCheckUpdatesListed;
        }
    }
    return result;
}

std::vector<std::string> UpdateJob::FoldersToChange() const {
    std::vector<std::string> folders{program_folder_, program_folder_ + "Info/"};
    for (std::size_t i = 0; i < server_.size(); ++i) {
        if (outcomes_[i] == EntryOutcome::kCurrent || server_[i].folder.empty()) {
            continue;
        }
        const std::string folder = program_folder_ + server_[i].folder;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
        }
    }
    return folders;
}

bool UpdateJob::Start() {
    if (running_.load()) {
        return false;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    // Cleared here rather than on the worker, so a cancel that comes before the thread runs is
    // not lost.
    cancel_.store(false);
    web_.ClearCancel();
    running_.store(true);
    try {
        worker_ = std::thread([this] {
            const int result = Run();
            result_.store(result);
            if (!cancel_.load() && setup_.window != nullptr) {
                setup_.window->Post(kWmCommand, result == kRunCancelled ? IDCANCEL : IDOK, result);
            }
            running_.store(false);
        });
    } catch (const std::system_error&) {
        running_.store(false);
        return false;
    }
    return true;
}

void UpdateJob::Cancel() {
    cancel_.store(true);
    web_.Cancel();
}

int UpdateJob::Wait() {
    if (worker_.joinable()) {
        worker_.join();
    }
    return result_.load();
}

bool UpdateJob::Unpack(const std::string& archive) {
    platform::LaunchRequest request;
    request.program = program_folder_ + std::string(app::kUnpackerProgram);
    request.arguments = {"\"" + archive + "\""};
    request.shown = false;
    // Said explicitly, so the files land in this program folder whatever the unpacker would
    // take from its own environment.
    request.environment = {{kProgramFolderVariable, program_folder_}};
    auto process = launcher_.Start(request);
    if (process == nullptr) {
        return false;
    }
    // A cancel ends the wait and leaves the program running: the dialog has already ended, and
    // the list is not recorded, so the next start sees the same entries again.
    for (auto waited = std::chrono::milliseconds(0); !process->Wait(kUnpackerPoll);
         waited += kUnpackerPoll) {
        if (cancel_.load() || waited + kUnpackerPoll >= setup_.unpacker_wait_limit) {
            return false;
        }
    }
    return process->ExitCode() == 0;
}

int UpdateJob::Run() {
    if (outcomes_.size() != server_.size()) {
        return kRunCancelled;
    }
    const std::string staging = program_folder_ + std::string(kStagingFolder);
    const std::string base_url = "http://" + setup_.host + base_path_;
    // Files of an interrupted run are never installed.
    platform::DeleteFolderTree(staging);
    platform::CreateFolderChain(staging);
    web_.SetProgressWindow(setup_.window);

    std::uint64_t total = 0;
    for (std::size_t i = 0; i < server_.size(); ++i) {
        PatchEntry& entry = server_[i];
        entry.pending = 0;
        entry.size = 0;
        if (outcomes_[i] == EntryOutcome::kCurrent) {
            continue;
        }
        outcomes_[i] = EntryOutcome::kFailed;
        const std::string folder = program_folder_ + entry.folder;
        platform::DeleteFileForce(folder + std::string(kOldCopyPrefix) + entry.name);
        platform::DeleteFileForce(folder + std::string(kNewCopyPrefix) + entry.name);
        std::uint64_t size = 0;
        if (web_.ProbeUrl(base_url + DownloadName(entry), {}, false, &size) == 1 && size > 0) {
            entry.pending = 1;
            entry.size = static_cast<std::int64_t>(size);
            total += size;
        }
    }
    web_.SetTotalSize(total);

    std::uint64_t done = 0;
    for (std::size_t i = 0; i < server_.size(); ++i) {
        PatchEntry& entry = server_[i];
        if (entry.pending == 0) {
            continue;
        }
        if (cancel_.load()) {
            break;
        }
        const std::string name = DownloadName(entry);
        const std::string local = staging + name;
        std::uint64_t file_counter = done;
        std::uint64_t package_counter = done;
        web_.SetProgressTag(entry.size);
        if (web_.DownloadToFile(base_url + std::string(kPatchFolder) + name, local, false,
                                &file_counter, &package_counter) != 1) {
            // What arrived of a failed download is not the file: it is never installed.
            entry.pending = 0;
            platform::DeleteFileForce(local);
            done += static_cast<std::uint64_t>(entry.size);
            continue;
        }
        done = package_counter;
        if (entry.is_archive()) {
            if (Unpack(local)) {
                outcomes_[i] = EntryOutcome::kInstalled;
            }
            platform::DeleteFileForce(local);
            entry.pending = 0;
        }
    }
    if (cancel_.load()) {
        platform::DeleteFolderTree(staging);
        return kRunCancelled;
    }

    int installed = 0;
    for (std::size_t i = 0; i < server_.size(); ++i) {
        PatchEntry& entry = server_[i];
        if (entry.pending == 0) {
            continue;
        }
        entry.pending = 0;
        if (InstallPatchFile(staging + entry.name, program_folder_ + entry.folder, entry.name)) {
            outcomes_[i] = EntryOutcome::kInstalled;
        }
    }
    platform::DeleteFolderTree(staging);

    std::vector<bool> settled;
    for (const EntryOutcome outcome : outcomes_) {
        settled.push_back(outcome != EntryOutcome::kFailed);
        installed += outcome == EntryOutcome::kInstalled ? 1 : 0;
    }
    const bool recorded = WriteLocalPatchList(program_folder_ + std::string(app::kUpdateListFile),
                                              RecordedPatchList(server_, local_, settled));

    if (setup_.window != nullptr) {
        setup_.window->Post(WM_DOWNLOAD_COMPLETE, 0, 0);
    }
    RestartTrayAgent();
    return installed > 0 && recorded ? kRunUpdated : kRunUnchanged;
}

void UpdateJob::RestartTrayAgent() {
    const std::string tray(app::kTrayWindowTitle);
    if (instances_.RequestClose(tray)) {
        sleeper_.Sleep(kTrayCloseWait);
    }
    platform::LaunchRequest request;
    request.program = program_folder_ + std::string(app::kTrayProgram);
    request.arguments = {std::string(app::kSwitchTrayUpdate)};
    // The agent runs on its own; its handle is not kept.
    launcher_.Start(request);
}

}  // namespace mapvale::update
