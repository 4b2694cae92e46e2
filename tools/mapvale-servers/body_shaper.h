#pragma once

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/clock.h"

namespace mapvale::servers {

// What happened to one answer's body, as the request log reports it.
struct BodyTally {
    std::uint64_t sent = 0;  // bytes handed to the connection
    bool cut = false;        // a reset fault ended the body early
    bool done = false;       // a body of unannounced length said it was complete
};

// How one answer's body is to leave.
struct BodyShape {
    std::optional<std::uint64_t> cut_after;  // fail the body after this many bytes
    std::uint64_t bytes_per_second = 0;      // 0: no pacing
};

// Wraps the body provider of an answer: every byte it writes is counted in `tally`, paced to
// `shape.bytes_per_second`, and after `shape.cut_after` bytes the provider fails, which makes
// httplib drop the connection with the body short of its announced length. `pause` waits
// between paced pieces and answers false when the server is stopping (the body then fails too).
//
// `tally`, `clock` and whatever `pause` refers to must outlive the answer; the returned provider
// runs on the connection's thread.
httplib::ContentProvider ShapeBody(httplib::ContentProvider inner, BodyShape shape,
                                   BodyTally& tally, const platform::Clock& clock,
                                   std::function<bool(std::chrono::milliseconds)> pause);

}  // namespace mapvale::servers
