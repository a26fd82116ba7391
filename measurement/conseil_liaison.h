#pragma once

#include <string>

// What the parameters panel advises when the link check gets no answer.
namespace measurement {

struct ConseilLiaison {
    std::string ligne, suite;  // the panel's two lines
    // Says what the error means, so it is shown at once, not after a cycle
    // of requests nobody answers.
    bool immediat = false;
    bool operator==(const ConseilLiaison&) const = default;
};

// By the system's error number that refused the port's opening; 0 when the
// port opened (or has not been tried) and the photometer is merely silent.
ConseilLiaison ConseilPourErreur(int erreurSysteme);

}  // namespace measurement
