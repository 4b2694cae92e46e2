#pragma once

#include "extras/geo_position.h"

namespace mapvale::extras {

// The map page works in WGS 84; the photo dialog and the photos on the card in Bessel 1841.
// Both directions are the standard Molodensky transformation at height 0 with the fixed shift
// between the two datums (−146, 507, 687 m Bessel → WGS 84). Positions pass through degrees,
// 16-bit minutes and seconds on the way in and out, and come out cut to whole units, so a round
// trip may end a unit or two away from where it started.
GeoPosition BesselToWgs84(const GeoPosition& bessel);
GeoPosition Wgs84ToBessel(const GeoPosition& wgs84);

}  // namespace mapvale::extras
