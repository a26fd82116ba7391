#pragma once

#include <sys/types.h>

#include <atomic>
#include <optional>
#include <vector>

#include "bench/processus.h"
#include "tools/simulator/protocole.h"

namespace banc {

// What the simulator wrote, frame by frame, kept for the program's side to
// check each packet against and time it from. The simulator's thread notes;
// the main thread reads. A ring: the program may lag behind by fewer frames
// than it holds.
class JournalTrames {
  public:
    struct Trame {
        simulateur::Mode mode{};
        simulateur::Comptes comptes;
        Horloge::time_point ecrite;
    };

    JournalTrames();
    // On the simulator's thread, in the order of the numbers.
    void Noter(int numero, simulateur::Mode mode, const simulateur::Comptes& comptes,
               Horloge::time_point ecrite);
    // The frame of that number. The simulator notes a frame once its write
    // has returned, and the program may have it before: wait a little.
    // Nothing when it never comes or has already been written over.
    std::optional<Trame> Lire(int numero) const;
    int Dernier() const { return dernier_.load(std::memory_order_acquire); }
    // The simulator's thread, to tell its CPU time from the program's.
    pid_t FilSimulateur() const { return fil_.load(); }

  private:
    std::vector<Trame> anneau_;
    std::atomic<int> dernier_{0};
    std::atomic<pid_t> fil_{0};
};

}  // namespace banc
