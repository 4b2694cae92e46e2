#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mapvale::extras {
class GeoPhoto;
}

namespace mapvale::controller {

class FrameUi;
struct ControllerState;

// What the photo dialog holds when the user saves.
struct PhotoForm {
    std::string longitude;  // the edits' texts, degrees (Bessel)
    std::string latitude;
    int category = -1;  // index of the checked category button; -1 when none is
    std::string subject;
    std::string location;
    std::string contents;
    bool web_post = false;
    bool copy_to_card = true;
};

// The photo dialog's save: checks the form, writes the photo with its position as
// "UserPhoto.jpg" in the data folder, posts it to the ORLA portal's photo board and/or copies it
// to the selected card's photo folder, telling the user about each. A failed post does not stop
// the copy.
class PhotoSave {
public:
    PhotoSave(const ControllerState& state, FrameUi& ui) : state_(state), ui_(ui) {}

    // 1 when the save went through (the dialog then resets and closes), 0 when it stopped with
    // a message and the dialog keeps its contents.
    int Run(const PhotoForm& form, const extras::GeoPhoto& photo);

private:
    const ControllerState& state_;
    FrameUi& ui_;
};

// The photo written for the card and the board.
inline constexpr std::string_view kUserPhotoName = "UserPhoto.jpg";

// Degrees as the edits show them: six decimals, whatever the locale.
std::string DegreesText(std::int32_t units);
// An edit's text as degrees the way atof reads it (leading blanks, then the longest number;
// 0 when there is none), in units cut to an integer.
std::int32_t UnitsFromText(std::string_view text);

}  // namespace mapvale::controller
