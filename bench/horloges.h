#pragma once

#include <ctime>

// A clock's reading in seconds (CLOCK_MONOTONIC, CLOCK_PROCESS_CPUTIME_ID...),
// for the floors, which are programs of their own.
inline double SecondesHorloge(clockid_t horloge) {
    timespec t{};
    clock_gettime(horloge, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
