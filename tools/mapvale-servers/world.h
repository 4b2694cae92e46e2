#pragma once

#include <string>

#include "mapvale-servers/listen_address.h"

namespace mapvale::servers {

// Where the parts of a world folder lie (see README.md, "The demo world").
struct WorldLayout {
    explicit WorldLayout(std::string world_folder) : folder(std::move(world_folder)) {}

    std::string Settings() const { return folder + "/world.conf"; }
    std::string Accounts() const { return folder + "/accounts.txt"; }
    std::string TrafficConf() const { return folder + "/traffic.conf"; }
    std::string Content() const { return folder + "/content"; }
    std::string RequestLog() const { return folder + "/requests.log"; }
    std::string TrafficUploads() const { return folder + "/traffic-uploads"; }
    std::string Manifests() const { return folder + "/manifests"; }
    std::string Sources() const { return folder + "/sources"; }
    // The colour themes the map-content server hands out: <Kind>/<IDCode>.bin.
    std::string Themes() const { return folder + "/themes"; }
    // The program files as the self-update the world offers leaves them.
    std::string SelfUpdateSources() const { return folder + "/sources/self-update"; }
    // The program-folder overlay: copy its Info/ over a program folder (or point the programs
    // at it) to make them talk to the world.
    std::string ProgramFolder() const { return folder + "/program/"; }
    std::string ServersIni() const { return folder + "/program/Info/Servers.ini"; }
    std::string PackageList() const { return folder + "/program/Info/PackageInfo.txt"; }
    // The vehicle models' update media (model|SD, USB, USBDVD or DVD), one model of each.
    std::string VehicleMedia() const { return folder + "/program/Info/VehicleMedia.txt"; }
    // The self-update's local list, which both programs keep.
    std::string UpdateList() const { return folder + "/program/Info/UpdateInfo.txt"; }

    std::string folder;
};

struct WorldOptions {
    std::string folder;
    ListenAddress address{"127.0.0.1", 18080};          // where the world will be served
    ListenAddress traffic_address{"127.0.0.1", 10400};  // the traffic server's address
    // The update server offers newer program files than the overlay holds (see
    // world_update_server.h); otherwise a program folder made from the overlay is current.
    bool offer_update = false;
};

// Writes a complete demo world into `options.folder` (created when missing): accounts of every
// kind, a content tree of packages of synthetic map files made with the packager (a few MB), the
// version records, banner lists and pages, product pictures, the update server's patch areas
// and notice, traffic.conf, world.conf and the program-folder overlay (Info/Servers.ini,
// Info/PackageInfo.txt,
// Info/VehicleMedia.txt, the self-update's list and files). The same options give the
// same world, byte for byte (sources and in-memory members carry a fixed date).
//
// A folder that holds anything but an earlier world is refused; an earlier world is replaced.
// False, with `error` set, when the world cannot be written.
bool MakeWorld(const WorldOptions& options, std::string& error);

}  // namespace mapvale::servers
