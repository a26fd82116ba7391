#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/descripteur.h"
#include "science/fichier_journee.h"
#include "science/lignes_fichier.h"

// Follows a data file that another program appends to: each reading returns
// the whole lines added since the last one, without reading again what was
// read. A file replaced (another inode), truncated, or rewritten in place
// under the reader is read again from its first line, never half-misread.
namespace journee {

class SuiviFichier {
  public:
    explicit SuiviFichier(std::string chemin);
    ~SuiviFichier();
    SuiviFichier(const SuiviFichier&) = delete;
    SuiviFichier& operator=(const SuiviFichier&) = delete;

    struct Ligne {
        size_t numero = 0;  // from 1
        std::string texte;  // UTF-8, without its line end
    };
    struct Lecture {
        bool depuisDebut = false;  // the lines start at the file's first
        std::vector<Ligne> lignes;
        // What the bytes themselves showed: the encoding, lines too long.
        std::vector<science::Anomalie> anomalies;
    };

    // A line still being written (no line end yet) waits for the next call.
    // A file that cannot be read, or that is no regular file, raises
    // EInOutError.
    Lecture Lire();

    const std::string& Chemin() const { return chemin_; }

  private:
    void Ouvrir();

    std::string chemin_;
    platform::Descripteur fichier_;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    uint64_t position_ = 0;
    // Holds the line still being written between readings.
    science::DecoupeurLignes decoupeur_;
    // The file's first bytes as last read: a rewrite in place changes them.
    std::string debut_;
};

}  // namespace journee
