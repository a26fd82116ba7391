#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

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

    struct Lecture {
        bool depuisDebut = false;         // the lines start at the file's first
        std::vector<std::string> lignes;  // UTF-8, without their line ends
    };

    // A line still being written (no line end yet) waits for the next call.
    // A file that cannot be read raises EInOutError.
    Lecture Lire();

    const std::string& Chemin() const { return chemin_; }

  private:
    void Ouvrir();

    std::string chemin_;
    int fd_ = -1;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    uint64_t position_ = 0;
    std::string reste_;  // bytes after the last line end
    // The file's first bytes as last read: a rewrite in place changes them.
    std::string debut_;
};

}  // namespace journee
