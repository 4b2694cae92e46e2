#include "controller/option_page.h"

namespace mapvale::controller {

std::string OptionPagePath(const DeviceEntry* device) {
    const bool vehicle_folder = device == nullptr || device->kind == 8;
    std::string path =
        vehicle_folder ? "/orla/Waymark/InstallInfoPlus/" : "/tarno/Waymark/InstallInfoPlus/";
    const int type = device != nullptr ? device->install_type : 0;
    switch (type) {
        case 1:
            return path + "Opt_SD1G.html";
        case 2:
            if (device->kind == 2) {
                return path + (device->sub_kind == 1 ? "Opt_SD2G_LOW.html" : "Opt_SD2G_HIGH.html");
            }
            return path + "Opt_SD2G.html";
        case 4:
            return path + "Opt_SD4G.html";
        case 100:
            return path + "Opt_User.html";
        case 200:
            return path + "Opt_Cam.html";
        default:
            return path + "Opt_Basic.html";
    }
}

}  // namespace mapvale::controller
