// The notice module's one entry: the program resolves it by name when its first notice comes.
#include "tray/qt/notice/c_ani_window.h"

extern "C" __attribute__((visibility("default"))) QWidget* MapvaleMakeNoticeWindow(
    const mapvale::tray::NoticeRequest* request) {
    return mapvale::tray::MakeNoticeWindow(*request);
}
