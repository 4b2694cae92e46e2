#pragma once

// Hand-written bytes of the traffic protocol for golden tests of its encoder and decoder on
// both sides of the wire.

#include <initializer_list>
#include <string>

namespace mapvale::testing {

inline std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int value : values) {
        out.push_back(static_cast<char>(value));
    }
    return out;
}

// 'M' "TRA01", two bytes and four bytes of zero, the payload length and the packets to follow.
inline std::string TrafficHeader(std::initializer_list<int> length,
                                 std::initializer_list<int> counter) {
    return Bytes({'M', 'T', 'R', 'A', '0', '1', 0, 0, 0, 0, 0, 0}) + Bytes(length) + Bytes(counter);
}

}  // namespace mapvale::testing
