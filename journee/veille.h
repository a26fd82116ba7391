#pragma once

#include <string>

#include "platform/descripteur.h"

// Tells when a followed file may have changed, so that a view on a file that
// nobody writes sleeps instead of reading it ten times a second. Linux's
// inotify watches the file (written, truncated, moved or removed) and its
// folder (a file created or moved in under its name, as a replacement is).
namespace journee {

class VeilleFichier {
  public:
    explicit VeilleFichier(std::string chemin);
    ~VeilleFichier();
    VeilleFichier(const VeilleFichier&) = delete;
    VeilleFichier& operator=(const VeilleFichier&) = delete;

    // What to wait on for reading; -1 when the system offers no watching.
    int Descripteur() const { return inotify_.Get(); }
    // Starts watching; false when neither the file nor its folder can be
    // watched (the caller then goes on reading at its pace).
    bool Armer();
    // Stops watching, so that a file written at a fast pace while it is
    // read anyway costs the writer nothing more.
    void Desarmer();
    // Takes the events waiting; true when one may concern the file.
    bool Vider();

  private:
    std::string chemin_, dossier_, nom_;
    platform::Descripteur inotify_;
    int surFichier_ = -1, surDossier_ = -1;
};

}  // namespace journee
