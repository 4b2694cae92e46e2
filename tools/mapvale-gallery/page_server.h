#pragma once

#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "mapvale-servers/fault_plan.h"
#include "mapvale-servers/http_server.h"
#include "mapvale-servers/static_files.h"
#include "model/server_config.h"

namespace mapvale::gallery {

// A demo world's pages, served on loopback from this process while the gallery runs.
class PageServer {
public:
    PageServer() = default;
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;
    ~PageServer();

    // Makes the demo world and serves its content and pages on a free loopback port.
    bool Start();
    std::string Address() const { return "127.0.0.1:" + std::to_string(server_->port()); }
    // Every server the windows ask for, here.
    ServerConfig Servers() const;

private:
    QTemporaryDir folder_;
    servers::FaultPlan faults_;
    std::optional<servers::StaticFiles> files_;
    std::unique_ptr<servers::HttpServer> server_;
    std::thread thread_;
};

}  // namespace mapvale::gallery
