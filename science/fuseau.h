#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/exception.h"

// A clock's time zone: turns the local times of a data file into UTC.
namespace science {

class ErreurFuseau : public Exception {
  public:
    using Exception::Exception;
};

class Fuseau {
  public:
    // "" for the system's zone, a database name ("Europe/Paris"), "UTC", or a
    // fixed offset "UTC+2", "UTC-07:00", "+05:30". An unknown name raises
    // ErreurFuseau.
    explicit Fuseau(const std::string& nom = "");

    const std::string& Nom() const { return nom_; }

    // What a local time (seconds since 1970-01-01 00:00 on the local clock)
    // can be. Offsets are local time minus UTC, in seconds.
    enum class Cas {
        Simple,   // one instant: `avant`
        Repetee,  // the hour repeated when the clock goes back: `avant` on the
                  // first pass, `apres` on the second
        Sautee,   // skipped when the clock goes forward: no instant has it
    };
    struct Lecture {
        Cas cas = Cas::Simple;
        int32_t avant = 0;  // the offset in force before the change
        int32_t apres = 0;  // and after it; `avant` when none is near
    };
    Lecture Lire(int64_t local);

    // The offset at a local time: the first pass in a repeated hour, the
    // offset before the change in a skipped one.
    int32_t DecalageLocal(int64_t local);

    int64_t VersUtc(int64_t local) { return local - DecalageLocal(local); }

  private:
    // A local hour and the change near it, if any.
    struct Heure {
        int32_t avant = 0, apres = 0;
        int64_t changement = 0;  // UTC instant from which `apres` holds
    };
    Heure LireHeure(int64_t heure) const;
    int32_t DecalageUtc(int64_t utc) const;

    std::string nom_;
    bool fixe_ = false;
    int32_t decalageFixe_ = 0;
    // By local hour: a day of records asks the database a few times an hour,
    // not once a record. Emptied when it grows: a file may span years.
    std::map<int64_t, Heure> parHeure_;
};

// An offset as ISO 8601 writes it: "+01:00", "-04:00", and "+00:09:21" when
// it has seconds (local mean times before standard zones).
std::string TexteDecalage(int32_t decalage);

}  // namespace science
