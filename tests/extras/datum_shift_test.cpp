#include "extras/datum_shift.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace mapvale::extras {
namespace {

struct Point {
    GeoPosition in;
    GeoPosition out;
};

// Reference values from an independent Molodensky implementation (same ellipsoids and shifts,
// height 0), cut to whole units: corners and cities of the area, a point inside near its north
// edge, and two outside it.
constexpr Point kBesselToWgs84[] = {
    {{44640000, 11880000}, {44639374, 11881179}}, {{45720000, 13500000}, {45719232, 13501003}},
    {{45712080, 13523760}, {45711312, 13524760}}, {{46467180, 12664656}, {46466364, 12665773}},
    {{47520000, 15696000}, {47518971, 15696767}}, {{47340000, 15480000}, {47338999, 15480790}},
    {{43200000, 10800000}, {43199525, 10801287}}, {{48600000, 16200000}, {48598834, 16200731}},
};
constexpr Point kWgs84ToBessel[] = {
    {{44640000, 11880000}, {44640625, 11878820}}, {{45720000, 13500000}, {45720767, 13498996}},
    {{45712080, 13523760}, {45712847, 13522760}}, {{46467180, 12664656}, {46467995, 12663538}},
    {{47520000, 15696000}, {47521028, 15695232}}, {{47340000, 15480000}, {47341000, 15479209}},
    {{43200000, 10800000}, {43200474, 10798712}}, {{48600000, 16200000}, {48601165, 16199268}},
};

void ExpectNear(const GeoPosition& got, const GeoPosition& want, int units) {
    EXPECT_LE(std::abs(got.longitude - want.longitude), units)
        << got.longitude << " vs " << want.longitude;
    EXPECT_LE(std::abs(got.latitude - want.latitude), units)
        << got.latitude << " vs " << want.latitude;
}

TEST(DatumShift, BothDirectionsMatchTheReferenceWithinAUnit) {
    for (const Point& p : kBesselToWgs84) {
        ExpectNear(BesselToWgs84(p.in), p.out, 1);
    }
    for (const Point& p : kWgs84ToBessel) {
        ExpectNear(Wgs84ToBessel(p.in), p.out, 1);
    }
}

TEST(DatumShift, RoundTripsEndWithinTwoUnits) {
    for (std::int32_t lon = kMinLongitude; lon <= kMaxLongitude; lon += 123'457) {
        for (std::int32_t lat = kMinLatitude; lat <= kMaxLatitude; lat += 98'765) {
            const GeoPosition start{lon, lat};
            ExpectNear(Wgs84ToBessel(BesselToWgs84(start)), start, 2);
            ExpectNear(BesselToWgs84(Wgs84ToBessel(start)), start, 2);
        }
    }
}

TEST(DatumShift, TheAreaIncludesItsBoundsAndNothingBeyond) {
    EXPECT_TRUE(InValidArea({47'520'000, 11'880'000}));  // 132° E, 33° N
    EXPECT_TRUE(InValidArea({44'640'000, 15'720'000}));
    EXPECT_FALSE(InValidArea({47'520'001, 11'880'000}));
    EXPECT_FALSE(InValidArea({47'520'000, 11'879'999}));
    EXPECT_FALSE(InValidArea({44'639'999, 13'000'000}));
    EXPECT_FALSE(InValidArea({45'000'000, 15'720'001}));
    EXPECT_FALSE(InValidArea({0, 0}));
}

}  // namespace
}  // namespace mapvale::extras
