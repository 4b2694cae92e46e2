#pragma once

#include <functional>
#include <memory>
#include <string>

namespace mapvale::platform {

// A running program's presence under a name, standing in for a top-level window that others
// find by class or title (FindWindow) and close (WM_CLOSE). Implemented as a local socket in the
// abstract namespace, scoped to the user, that disappears with the process.
class InstanceEndpoint {
public:
    virtual ~InstanceEndpoint() = default;
};

// Finds and closes other programs' endpoints, and publishes this program's own.
//
// Thread safety: every member may be called from any thread.
class InstanceService {
public:
    virtual ~InstanceService() = default;

    // Publishes `name` until the returned object is destroyed. `on_close` runs on the endpoint's
    // own thread when another program asks this one to close; it must be fast and should only
    // post a message to the program's user-interface thread. Nothing when the name is taken by a
    // live program.
    virtual std::unique_ptr<InstanceEndpoint> Publish(const std::string& name,
                                                      std::function<void()> on_close) = 0;
    // True when a program publishing `name` answers.
    virtual bool Exists(const std::string& name) = 0;
    // Asks the program publishing `name` to close; true when it took the request.
    virtual bool RequestClose(const std::string& name) = 0;
};

// The real service. `scope` separates sets of programs (tests use a unique one); the default is
// "$MAPVALE_INSTANCE_SCOPE" when set, else empty. The user id is always part of the address, and
// programs of other users are neither answered nor believed. A scope and name too long for a
// socket address are replaced by their hash. An empty name is never published nor found. Exists
// and RequestClose give up after about a second, so a hung program counts as absent.
class SocketInstanceService final : public InstanceService {
public:
    explicit SocketInstanceService(std::string scope = DefaultScope());

    std::unique_ptr<InstanceEndpoint> Publish(const std::string& name,
                                              std::function<void()> on_close) override;
    bool Exists(const std::string& name) override;
    bool RequestClose(const std::string& name) override;

    static std::string DefaultScope();

private:
    std::string scope_;
};

// A named mutex: a lock file held with an advisory lock for the lifetime of the object; the
// operating system drops the lock when the process dies.
class NamedLock {
public:
    // The held lock, or nothing when another holder has it (in this program or another) or the
    // lock file cannot be opened. Lock files live in $XDG_RUNTIME_DIR (or /tmp, named with the
    // user id) unless `folder` is given; any name is made a safe file name. Close-on-exec:
    // started programs do not inherit the lock.
    static std::unique_ptr<NamedLock> TryAcquire(const std::string& name,
                                                 const std::string& folder = {});
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

private:
    explicit NamedLock(int fd);
    int fd_;
};

}  // namespace mapvale::platform
