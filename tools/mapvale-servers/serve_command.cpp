#include "mapvale-servers/serve_command.h"

#include <memory>

#include "mapvale-servers/fault_plan.h"
#include "mapvale-servers/http_server.h"
#include "mapvale-servers/request_log.h"
#include "mapvale-servers/serve_options.h"
#include "mapvale-servers/static_files.h"
#include "mapvale-servers/stop_watcher.h"

namespace mapvale::servers {

int RunServe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ServeCommandLine command_line = ParseServeCommandLine(args);
    if (command_line.help) {
        out << ServeUsage();
        return 0;
    }
    if (!command_line.ok()) {
        err << "mapvale-servers serve: " << command_line.error
            << "\n(mapvale-servers serve --help lists the options)\n";
        return 2;
    }
    const ServeOptions& options = command_line.options;
    std::string error;
    const auto files = StaticFiles::Open(options.content_folder, error);
    if (!files) {
        err << "mapvale-servers serve: " << error << "\n";
        return 2;
    }
    std::unique_ptr<RequestLog> log;
    if (!options.request_log.empty()) {
        log = RequestLog::Open(options.request_log, error);
        if (!log) {
            err << "mapvale-servers serve: " << error << "\n";
            return 1;
        }
    }

    FaultPlan faults(options.faults);
    HttpServer server(faults, log.get());
    server.SetFallback([&](const httplib::Request& request, httplib::Response& response) {
        files->Serve(request, response, !faults.options().ignore_range);
    });
    if (!server.Bind(options.listen, error)) {
        err << "mapvale-servers serve: " << error << "\n";
        return 1;
    }
    // Declared after the server, so that it is gone (its thread joined) before the server it
    // stops. No thread exists yet: the server starts its threads in Run.
    StopWatcher watcher(options.stop_on_stdin_eof);
    if (!watcher.Start([&server] { server.Stop(); })) {
        err << "mapvale-servers serve: cannot watch for stop signals\n";
        return 1;
    }
    out << "listening on " << options.listen.ToString(server.port()) << std::endl;
    const bool ok = server.Run();
    if (!ok) {
        err << "mapvale-servers serve: the listening socket failed\n";
    }
    return ok ? 0 : 1;
}

}  // namespace mapvale::servers
