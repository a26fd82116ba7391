#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <mutex>

namespace clock_seam {
namespace {

std::mutex mutex;
std::function<TDateTime()>& Override() {
    static std::function<TDateTime()> now;
    return now;
}

TDateTime FromTm(const std::tm& t, int millisecond) {
    TDateTime d;
    d.year = t.tm_year + 1900;
    d.month = t.tm_mon + 1;
    d.day = t.tm_mday;
    d.hour = t.tm_hour;
    d.minute = t.tm_min;
    d.second = t.tm_sec;
    d.millisecond = millisecond;
    d.weekday = t.tm_wday == 0 ? 7 : t.tm_wday;
    d.dayOfYear = t.tm_yday + 1;
    return d;
}

}  // namespace

TDateTime Now() {
    {
        std::lock_guard lock(mutex);
        if (Override()) return Override()();
    }
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    return FromTm(local, static_cast<int>(ms));
}

void SetNow(std::function<TDateTime()> now) {
    std::lock_guard lock(mutex);
    Override() = std::move(now);
}

TDateTime Make(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = 12;  // noon: no daylight-saving change can move the date
    t.tm_isdst = -1;
    timegm(&t);  // fills in the weekday and the day of the year
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return FromTm(t, 0);
}

}  // namespace clock_seam
