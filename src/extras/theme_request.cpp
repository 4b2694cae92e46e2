#include "extras/theme_request.h"

namespace mapvale::extras {

std::string_view ThemeKind(int device_line) {
    return device_line == 1 ? "ORLA" : "TARNO";
}

std::string_view ThemeFileName(int device_line) {
    return device_line == 1 ? "ThemeFile.bin" : "TM_save.dat";
}

std::string ThemeAddress(std::string_view host, std::string_view id_code, int device_line,
                         std::string_view scrambled_user, std::string_view gbn) {
    std::string address = "http://";
    address.append(host).append(kThemePath);
    address.append("?IDCode=").append(id_code);
    address.append("&Kind=").append(ThemeKind(device_line));
    address.append("&UserID=").append(scrambled_user);
    address.append("&gbn=").append(gbn);
    address.append("&app=With");
    return address;
}

}  // namespace mapvale::extras
