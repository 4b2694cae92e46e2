#include "tray/tray_services.h"

namespace mapvale::tray {

platform::InstanceService& InstancesOf(const TrayServices& services) {
    if (services.instances != nullptr) {
        return *services.instances;
    }
    static platform::SocketInstanceService service;
    return service;
}

}  // namespace mapvale::tray
