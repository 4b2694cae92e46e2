#pragma once

#include <cstdint>

namespace mapvale::extras {

// A map position in 1/360,000 of a degree (degrees × 360,000, cut to an integer): east longitude
// and north latitude.
struct GeoPosition {
    std::int32_t longitude = 0;
    std::int32_t latitude = 0;

    friend bool operator==(const GeoPosition&, const GeoPosition&) = default;
};

inline constexpr std::int32_t kUnitsPerDegree = 360'000;

// The area the photo service works in (both bounds inclusive): 124° to 132° east, 33° to
// 43.67° north.
inline constexpr std::int32_t kMinLongitude = 44'640'000;
inline constexpr std::int32_t kMaxLongitude = 47'520'000;
inline constexpr std::int32_t kMinLatitude = 11'880'000;
inline constexpr std::int32_t kMaxLatitude = 15'720'000;

constexpr bool InValidArea(const GeoPosition& position) {
    return position.longitude >= kMinLongitude && position.longitude <= kMaxLongitude &&
           position.latitude >= kMinLatitude && position.latitude <= kMaxLatitude;
}

}  // namespace mapvale::extras
