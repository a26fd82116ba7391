#pragma once

#include <functional>
#include <string>
#include <thread>

#include "bench/processus.h"

namespace banc {

// Another reader of a file that a program appends lines to: a thread told by
// inotify each time the file is written, which reads what was added and
// hands over each complete line (without its CR LF) with the time it was
// found readable.
class LecteurLignes {
  public:
    using LigneLue = std::function<void(const std::string& ligne, Horloge::time_point lue)>;

    // Starts at the present end of the file. Raises std::runtime_error when
    // the file cannot be watched.
    LecteurLignes(const std::string& nom, LigneLue ligneLue);
    ~LecteurLignes();
    LecteurLignes(const LecteurLignes&) = delete;
    LecteurLignes& operator=(const LecteurLignes&) = delete;

  private:
    void Boucle();
    void LireAjouts();

    LigneLue ligneLue_;
    int fichier_ = -1;
    int inotify_ = -1;
    int arret_ = -1;
    std::string reste_;
    std::thread fil_;
};

}  // namespace banc
