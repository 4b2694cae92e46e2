#include "controller/traffic_reminder.h"

namespace mapvale::controller {

bool TrafficReminderDue(int stored_year, int stored_month, int stored_day,
                        const platform::CivilTime& today) {
    if (stored_year == 0) {
        return false;
    }
    const int months = today.month - stored_month;
    return today.year > stored_year || months > 1 || (months == 1 && today.day >= stored_day) ||
           (months != 1 && today.day - stored_day > 29);
}

}  // namespace mapvale::controller
