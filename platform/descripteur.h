#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <optional>
#include <string>

// File descriptors for every layer that reads or writes: one owner type, one
// retry of interrupted calls, and the file operations the program's files
// need, each reporting the errno of a failure (0 for success).
namespace platform {

// Runs a system call again while a signal interrupts it (-1 with EINTR).
template <typename Appel>
auto SansInterruption(Appel appel) {
    for (;;) {
        const auto resultat = appel();
        if (!(resultat < 0 && errno == EINTR)) return resultat;
    }
}

// Owns a descriptor: closed once, by Fermer or when the owner goes.
class Descripteur {
  public:
    Descripteur() = default;
    explicit Descripteur(int fd) noexcept : fd_(fd) {}
    ~Descripteur();
    Descripteur(Descripteur&& autre) noexcept : fd_(autre.Lacher()) {}
    Descripteur& operator=(Descripteur&& autre) noexcept;
    Descripteur(const Descripteur&) = delete;
    Descripteur& operator=(const Descripteur&) = delete;

    int Get() const { return fd_; }
    bool Valide() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int Lacher() noexcept;
    // Closes now. Linux releases the descriptor even when close fails, and
    // an interrupted close loses nothing: only other errors are reported.
    int Fermer() noexcept;

  private:
    int fd_ = -1;
};

// How a file is opened; every one closes on exec.
enum class Acces {
    Lecture,
    CreationExclusive,  // a new file, for writing; an existing one is EEXIST
    Ajout,              // writing at the end; a missing file is ENOENT
    Remplacement,       // created or emptied, for writing
    Dossier,            // a directory, to synchronise it
};
int Ouvrir(const std::string& chemin, Acces acces, Descripteur& fichier);
// A file without a name in dossier, open for reading and writing: the
// system removes it when its descriptor closes, however the process ends
// (a signal, a crash, SIGKILL included).
int OuvrirAnonyme(const std::string& dossier, Descripteur& fichier);

// All of data, retrying interrupted and short writes; a write that writes
// nothing is EIO.
int EcrireTout(int fd, const char* data, size_t taille);
inline int EcrireTout(int fd, const std::string& data) {
    return EcrireTout(fd, data.data(), data.size());
}
// Everything up to the end of the file, appended to data.
int LireTout(int fd, std::string& data);
// One read, to learn that the file can be read: what is read is dropped.
int SonderLecture(int fd);

// To the disk, not only to the system's cache. A device that cannot be
// synchronised has nothing to lose: no error.
int Synchroniser(int fd);
// The size of a regular file; nothing for anything else.
std::optional<off_t> TailleReguliere(int fd);
int Tronquer(int fd, off_t taille);
int Supprimer(const std::string& chemin);
// Synchronises the folder that holds the file, so that a new file's name
// reaches the disk too. Best effort.
void SynchroniserDossierDe(const std::string& chemin);

}  // namespace platform
