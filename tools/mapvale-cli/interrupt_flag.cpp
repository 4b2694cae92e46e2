#include "mapvale-cli/interrupt_flag.h"

#include <signal.h>

#include <atomic>

namespace mapvale::cli {

namespace {

// Lock-free, so the handler may touch it.
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterruptSignal(int /*signal*/) {
    g_requested.store(true);
}

}  // namespace

void InterruptFlag::InstallHandlers() {
    struct sigaction action {};
    action.sa_handler = OnInterruptSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool InterruptFlag::Requested() {
    return g_requested.load();
}

void InterruptFlag::Set() {
    g_requested.store(true);
}

void InterruptFlag::Clear() {
    g_requested.store(false);
}

}  // namespace mapvale::cli
