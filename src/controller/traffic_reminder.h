#pragma once

#include "platform/clock.h"

namespace mapvale::controller {

// Whether the monthly reminder about the traffic service is due, given the stored date of the
// last notice (year 0 = never noticed: never due) and today's local date.
bool TrafficReminderDue(int stored_year, int stored_month, int stored_day,
                        const platform::CivilTime& today);

inline constexpr const char* kTrafficServicePage = "/orla/Waymark/InstallInfoPlus/traffic.html";

}  // namespace mapvale::controller
