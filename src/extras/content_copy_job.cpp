#include "extras/content_copy_job.h"

#include <optional>

#include "extras/free_file_name.h"
#include "platform/file_copy.h"
#include "platform/files.h"

namespace mapvale::extras {

ContentCopyJob::ContentCopyJob(CopyPrompt* prompt, std::string source_folder,
                               std::string destination_root)
    : prompt_(prompt),
      source_folder_(platform::NormalizeFolder(source_folder)),
      destination_root_(platform::NormalizeFolder(destination_root)) {}

void ContentCopyJob::Add(int type, std::string file_name) {
    items_.push_back({type, std::move(file_name)});
}

std::string_view ContentCopyJob::TypeFolder(int type, int device_line) {
    switch (type) {
        case kContentPhoto:
            return "UserData/MyPhoto/";
        case kContentTheme:
            return device_line == 2 ? "UserData/MyTheme/" : "UserData/Theme/";
        case kContentProgram:
            return "Bin/";
        case kContentWidget:
            return "UserData/MyWidget/";
        default:
            return "";
    }
}

int ContentCopyJob::Run(int device_line) {
    for (const Item& item : items_) {
        if (!CopyItem(item, device_line)) {
            return 0;
        }
    }
    return 1;
}

bool ContentCopyJob::CopyItem(const Item& item, int device_line) {
    const std::string folder = destination_root_ + std::string(TypeFolder(item.type, device_line));
    if (!platform::CreateFolderChain(folder)) {
        return false;
    }
    const std::string source = source_folder_ + item.file_name;
    std::string name = item.file_name;
    const bool taken = platform::FileExists(folder + name) || platform::FolderExists(folder + name);
    if (taken) {
        bool take_free_name = item.type != kContentPhoto && item.type != kContentProgram;
        if (item.type == kContentPhoto && prompt_ != nullptr) {
            switch (prompt_->AskAboutSameName()) {
                case CopyPrompt::SameName::kSkip:
                    platform::DeleteFileForce(source);
                    return true;
                case CopyPrompt::SameName::kOtherName:
                    take_free_name = true;
                    break;
                case CopyPrompt::SameName::kOverwrite:
                    break;
            }
        }
        if (take_free_name) {
            const std::optional<std::string> free = FreeFileName(folder, name);
            if (!free) {
                return false;
            }
            name = *free;
        }
    }
    const platform::CopyOutcome copied = platform::CopyFileWithProgress(source, folder + name, {});
    if (copied.result != platform::CopyResult::kDone) {
        return false;
    }
    // The data folder keeps no copy.
    platform::DeleteFileForce(source);
    return true;
}

std::string CardDestinationRoot(std::string_view card_root, int device_line) {
    std::string root = platform::NormalizeFolder(card_root);
    if (device_line == 1) {
        root += "Swiftpath_OrLa/";
    } else if (device_line == 2) {
        root += "Tarno/";
    }
    return root;
}

}  // namespace mapvale::extras
