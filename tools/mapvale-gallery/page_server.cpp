#include "page_server.h"

#include "mapvale-servers/web_pages.h"
#include "mapvale-servers/world.h"

namespace mapvale::gallery {

bool PageServer::Start() {
    if (!folder_.isValid()) {
        return false;
    }
    std::string error;
    servers::WorldOptions options;
    options.folder = folder_.filePath(QStringLiteral("world")).toStdString();
    if (!servers::MakeWorld(options, error)) {
        return false;
    }
    files_ = servers::StaticFiles::Open(options.folder + "/content", error);
    if (!files_) {
        return false;
    }
    server_ = std::make_unique<servers::HttpServer>(faults_, nullptr);
    server_->SetFallback([this](const httplib::Request& request, httplib::Response& response) {
        files_->Serve(request, response, true);
    });
    servers::AddWebPages(*server_);
    if (!server_->Bind(servers::ListenAddress{"127.0.0.1", 0}, error)) {
        return false;
    }
    thread_ = std::thread([this] { server_->Run(); });
    return true;
}

ServerConfig PageServer::Servers() const {
    ServerConfig servers;
    for (const std::string_view role :
         {ServerConfig::kRegistration, ServerConfig::kPortal, ServerConfig::kTarnoPortal,
          ServerConfig::kMapContent, ServerConfig::kContent}) {
        servers.Set(role, Address());
    }
    return servers;
}

PageServer::~PageServer() {
    if (thread_.joinable()) {
        server_->Stop();
        thread_.join();
    }
}
}  // namespace mapvale::gallery
