#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mapvale::extras {

// What is copied, by the number the pages and the copy's callers use.
inline constexpr int kContentPhoto = 1;
inline constexpr int kContentTheme = 2;
inline constexpr int kContentProgram = 3;
inline constexpr int kContentWidget = 4;

// The question a copy asks when a photo of the same name is already on the card; it stands for
// the window the question would be shown over.
class CopyPrompt {
public:
    enum class SameName { kOverwrite, kOtherName, kSkip };
    virtual ~CopyPrompt() = default;
    virtual SameName AskAboutSameName() = 0;
};

// Moves downloaded user content from the data folder onto the card, item by item in the order
// added: each into its type's folder under the destination root (made when missing), then the
// downloaded file is deleted. A name already taken on the card is overwritten for program files
// (and for photos when there is nobody to ask), asked about for photos, and otherwise left
// alone: the copy takes a free name ("ThemeFile(2).bin").
//
// Copies go through a temporary file, so a failed copy leaves the card's file of that name as
// it was; the job stops at the first item that cannot be copied, keeping the ones before it
// and that item's download.
class ContentCopyJob {
public:
    // `prompt` may be null: no window to ask over.
    ContentCopyJob(CopyPrompt* prompt, std::string source_folder, std::string destination_root);

    void Add(int type, std::string file_name);

    // 1 when every item was handled, 0 when one could not be copied.
    int Run(int device_line);

    // The folder of a type under the destination root, ending in '/' (empty: the root itself).
    static std::string_view TypeFolder(int type, int device_line);

private:
    struct Item {
        int type;
        std::string file_name;
    };
    bool CopyItem(const Item& item, int device_line);

    CopyPrompt* prompt_;
    std::string source_folder_;
    std::string destination_root_;
    std::vector<Item> items_;
};

// Where content for a unit of `device_line` goes on the card whose root is `card_root`: the
// unit's own folder on the card ("Swiftpath_OrLa/" for line 1, "Tarno/" for line 2, the root for
// the others), ending in '/'.
std::string CardDestinationRoot(std::string_view card_root, int device_line);

}  // namespace mapvale::extras
