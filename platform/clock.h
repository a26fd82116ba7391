#pragma once

#include <functional>

// The local date and time, read through one seam so that tests can set it.
struct TDateTime {
    int year = 0, month = 0, day = 0;  // month 1 to 12
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int weekday = 0;    // 1 Monday to 7 Sunday
    int dayOfYear = 0;  // 1 on 1 January
};

namespace clock_seam {

TDateTime Now();
// Replaces the system clock; an empty function restores it.
void SetNow(std::function<TDateTime()> now);
// The fields of a date and time, weekday and day of the year worked out.
TDateTime Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace clock_seam
