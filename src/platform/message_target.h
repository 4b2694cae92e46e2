#pragma once

#include <cstdint>

namespace mapvale::platform {

// Stand-ins for the Windows message parameters. wParam carries unsigned amounts and codes,
// lParam may be negative (an unpacker result of -3, for example).
using WParam = std::uint64_t;
using LParam = std::int64_t;

// Where workers report to. Post never blocks on the receiver and never calls into it: the
// receiver handles the message later on its own (user-interface) thread.
//
// Thread safety: Post may be called from any thread at any time.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual void Post(std::uint32_t message, WParam w_param, LParam l_param) = 0;
};

}  // namespace mapvale::platform
