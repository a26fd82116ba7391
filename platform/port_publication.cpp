#include "platform/port_publication.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "platform/ports.h"

namespace ports {
namespace {

std::string Failure(const std::string& text, int error) {
    return text + " : " + std::strerror(error);
}

void MakeDirectories(const std::string& path) {
    // Each level private to the user: the folder may be under /tmp.
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        const std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            throw std::runtime_error(Failure("Impossible de créer le dossier " + part, errno));
    }
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string PublishedPortLockPath(const std::string& name) {
    return PublishedPortsDirectory() + "/." + name + ".verrou";
}

bool PublisherHoldsPort(const std::string& name) {
    const std::string lock = PublishedPortLockPath(name);
    struct stat lockStat {};
    if (stat(lock.c_str(), &lockStat) != 0) return false;
    long pid = 0;
    if (!(std::ifstream(lock) >> pid) || pid <= 0) return false;
    // The process is alive and one of its descriptors is this very file (not
    // one made since under the same name): a recycled process id fails this.
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = opendir(fds.c_str());
    if (dir == nullptr) return false;
    bool held = false;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        struct stat fdStat {};
        if (stat((fds + "/" + e->d_name).c_str(), &fdStat) == 0 && SameFile(fdStat, lockStat)) {
            held = true;
            break;
        }
    }
    closedir(dir);
    return held;
}

PortPublication::PortPublication(const std::string& name, const std::string& device)
    : device_(device),
      link_(PublishedPortsDirectory() + "/" + name),
      lock_(PublishedPortLockPath(name)) {
    MakeDirectories(PublishedPortsDirectory());
    for (;;) {
        verrou_ = platform::Descripteur(platform::SansInterruption(
            [&] { return open(lock_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600); }));
        if (!verrou_.Valide())
            throw std::runtime_error(Failure("Impossible d'ouvrir " + lock_, errno));
        if (platform::SansInterruption([&] { return flock(verrou_.Get(), LOCK_EX | LOCK_NB); }) !=
            0) {
            verrou_.Fermer();
            throw std::runtime_error("Le port « " + name +
                                     " » est déjà publié par un autre simulateur");
        }
        // A publisher that stopped meanwhile removed the file this one
        // opened: lock the one that is there now.
        struct stat held {
        }, there{};
        if (fstat(verrou_.Get(), &held) == 0 && stat(lock_.c_str(), &there) == 0 &&
            SameFile(held, there))
            break;
        verrou_.Fermer();
    }
    const std::string pid = std::to_string(getpid()) + "\n";
    int error = platform::Tronquer(verrou_.Get(), 0);
    if (error == 0) error = platform::EcrireTout(verrou_.Get(), pid);
    if (error != 0) {
        Withdraw();
        throw std::runtime_error(Failure("Impossible d'écrire " + lock_, error));
    }
    // A link left by a publisher that was killed is replaced.
    if ((unlink(link_.c_str()) != 0 && errno != ENOENT) ||
        symlink(device_.c_str(), link_.c_str()) != 0) {
        const int error = errno;
        Withdraw();
        throw std::runtime_error(Failure("Impossible de publier le port " + link_, error));
    }
}

PortPublication::~PortPublication() {
    Withdraw();
}

void PortPublication::Withdraw() {
    if (!verrou_.Valide()) return;
    char target[4096];
    const ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<size_t>(n)) == device_) unlink(link_.c_str());
    // Removed while still locked, so that no other publisher holds it then.
    unlink(lock_.c_str());
    verrou_.Fermer();
}

}  // namespace ports
