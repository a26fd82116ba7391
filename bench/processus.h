#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// What a process uses: its memory as the kernel reports it, and CPU time.
namespace banc {

using Horloge = std::chrono::steady_clock;  // CLOCK_MONOTONIC

// A field of /proc/<pid>/status in KiB ("VmRSS", "VmHWM"); pid 0 is this
// process. -1 when it cannot be read.
long MemoireKio(const std::string& champ, pid_t pid = 0);

// CPU time of the whole process, all its threads, in seconds.
double CpuProcessus();
// CPU time of one thread of this process, in seconds; 0 when it is unknown.
double CpuFil(pid_t tid);
// CPU time of another process, all its threads, in seconds; 0 when it is
// unknown.
double CpuAutreProcessus(pid_t pid);

// Context switches, voluntary or not, of this process's threads but those
// named: how often it goes to sleep and is woken again.
long ChangementsDeContexte(const std::vector<pid_t>& sauf = {});

double Secondes(Horloge::duration d);
double Microsecondes(Horloge::duration d);

// The number of processors and the load average, for the report.
std::string DescriptionMachine();

}  // namespace banc
