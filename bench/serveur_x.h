#pragma once

#include <sys/types.h>

#include <string>

namespace banc {

// A virtual X server on a free display, of the bench's own, ended with this
// object. Black, so that an unpainted window reads as one colour.
class ServeurX {
  public:
    explicit ServeurX(std::string& erreur);
    ~ServeurX();
    ServeurX(const ServeurX&) = delete;
    ServeurX& operator=(const ServeurX&) = delete;

    // ":N"; empty when the server could not be started.
    const std::string& Affichage() const { return affichage_; }
    // Its process, to time its CPU.
    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    std::string affichage_;
};

}  // namespace banc
