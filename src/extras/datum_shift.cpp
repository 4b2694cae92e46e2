#include "extras/datum_shift.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace mapvale::extras {

namespace {

struct Ellipsoid {
    double a;  // semi-major axis, metres
    double f;  // flattening
};

constexpr Ellipsoid kBessel{6'377'397.155, 0.003342773182174806};
constexpr Ellipsoid kWgs84{6'378'137.0, 0.0033528106647474805};

struct Shift {
    double dx, dy, dz;
};

constexpr Shift kBesselToWgs84{-146.0, 507.0, 687.0};
constexpr Shift kWgs84ToBessel{146.0, -507.0, -687.0};

// Units → degrees through whole degrees, 16-bit minutes and seconds.
double ToDegrees(std::int32_t units) {
    const std::int32_t degrees = units / kUnitsPerDegree;
    const auto minutes = static_cast<std::int16_t>((units % kUnitsPerDegree) / 6'000);
    const double seconds = static_cast<double>(units % 6'000) / 100.0;
    return degrees + minutes / 60.0 + seconds / 3'600.0;
}

// Degrees → units the same way back, cut to a whole unit.
std::int32_t ToUnits(double degrees) {
    const double whole = std::trunc(degrees);
    const auto minutes = static_cast<std::int16_t>((degrees - whole) * 60.0);
    const double seconds = ((degrees - whole) * 60.0 - minutes) * 60.0;
    return static_cast<std::int32_t>(whole * kUnitsPerDegree + minutes * 6'000.0 + seconds * 100.0);
}

GeoPosition Molodensky(const GeoPosition& in, const Ellipsoid& from, const Ellipsoid& to,
                       const Shift& shift) {
    constexpr double kRadians = std::numbers::pi / 180.0;
    const double phi = ToDegrees(in.latitude) * kRadians;
    const double lambda = ToDegrees(in.longitude) * kRadians;
    const double da = to.a - from.a;
    const double df = to.f - from.f;
    const double e2 = 2.0 * from.f - from.f * from.f;
    const double b = from.a * (1.0 - from.f);
    const double sin_phi = std::sin(phi);
    const double cos_phi = std::cos(phi);
    const double sin_lambda = std::sin(lambda);
    const double cos_lambda = std::cos(lambda);
    const double w2 = 1.0 - e2 * sin_phi * sin_phi;
    const double rn = from.a / std::sqrt(w2);                      // prime vertical radius
    const double rm = from.a * (1.0 - e2) / (w2 * std::sqrt(w2));  // meridian radius
    const double d_phi = (-shift.dx * sin_phi * cos_lambda - shift.dy * sin_phi * sin_lambda +
                          shift.dz * cos_phi + da * (rn * e2 * sin_phi * cos_phi) / from.a +
                          df * (rm * from.a / b + rn * b / from.a) * sin_phi * cos_phi) /
                         rm;
    const double d_lambda = (-shift.dx * sin_lambda + shift.dy * cos_lambda) / (rn * cos_phi);
    return {ToUnits((lambda + d_lambda) / kRadians), ToUnits((phi + d_phi) / kRadians)};
}

}  // namespace

GeoPosition BesselToWgs84(const GeoPosition& bessel) {
    return Molodensky(bessel, kBessel, kWgs84, kBesselToWgs84);
}

GeoPosition Wgs84ToBessel(const GeoPosition& wgs84) {
    return Molodensky(wgs84, kWgs84, kBessel, kWgs84ToBessel);
}

}  // namespace mapvale::extras
