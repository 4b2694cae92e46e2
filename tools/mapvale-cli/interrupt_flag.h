#pragma once

namespace mapvale::cli {

// Ctrl-C and SIGTERM for the console front end. The handler only sets a flag; the loops of the
// front end look at it and cancel the job through the controller on their own thread. A second
// signal ends the program at once (the default action), for a user who does not want to wait
// for the cancel.
class InterruptFlag {
public:
    // Installs the handlers of SIGINT and SIGTERM. Interrupted system calls are restarted, so
    // the workers' I/O is not disturbed; waits that must notice the flag poll it.
    static void InstallHandlers();
    static bool Requested();
    // What the handler does; also for tests.
    static void Set();
    static void Clear();
};

}  // namespace mapvale::cli
