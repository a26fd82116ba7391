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

    // Local time minus UTC, in seconds, at a local time given as seconds
    // since 1970-01-01 00:00 on the local clock. In the hour repeated when
    // summer time ends, the zone's first reading is taken.
    int32_t DecalageLocal(int64_t local);

    int64_t VersUtc(int64_t local) { return local - DecalageLocal(local); }

  private:
    int32_t DecalageBase(int64_t local) const;

    std::string nom_;
    bool fixe_ = false;
    int32_t decalageFixe_ = 0;
    // Offsets by local hour: a day of records asks the database 24 times.
    std::map<int64_t, int32_t> parHeure_;
};

}  // namespace science
