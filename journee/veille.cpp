#include "journee/veille.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace journee {

namespace {

constexpr uint32_t SurFichier =
    IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVE_SELF | IN_DELETE_SELF;
constexpr uint32_t SurDossier = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;

}  // namespace

VeilleFichier::VeilleFichier(std::string chemin) : chemin_(std::move(chemin)) {
    const std::filesystem::path p(chemin_);
    dossier_ = p.has_parent_path() ? p.parent_path().string() : ".";
    nom_ = p.filename().string();
    inotify_ = platform::Descripteur(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
}

VeilleFichier::~VeilleFichier() = default;

bool VeilleFichier::Armer() {
    if (!inotify_.Valide()) return false;
    // Watching a path that names the same inode again gives the same watch.
    surFichier_ = inotify_add_watch(inotify_.Get(), chemin_.c_str(), SurFichier);
    surDossier_ = inotify_add_watch(inotify_.Get(), dossier_.c_str(), SurDossier);
    return surFichier_ >= 0 || surDossier_ >= 0;
}

void VeilleFichier::Desarmer() {
    for (int* w : {&surFichier_, &surDossier_}) {
        if (*w >= 0) inotify_rm_watch(inotify_.Get(), *w);
        *w = -1;
    }
}

bool VeilleFichier::Vider() {
    if (!inotify_.Valide()) return false;
    bool concerne = false;
    alignas(inotify_event) char tampon[4096];
    for (;;) {
        const ssize_t n =
            platform::SansInterruption([&] { return read(inotify_.Get(), tampon, sizeof tampon); });
        if (n <= 0) break;
        for (ssize_t i = 0; i < n;) {
            inotify_event e;
            std::memcpy(&e, tampon + i, sizeof e);
            const char* nom = tampon + i + sizeof e;
            // A removed watch says so (IN_IGNORED): nothing was written.
            if ((e.mask & IN_IGNORED) == 0 && (e.wd != surDossier_ || e.len == 0 ||
                                               nom_ == std::string(nom, strnlen(nom, e.len))))
                concerne = true;
            // An overflowed queue lost events: they may have been the file's.
            if (e.mask & IN_Q_OVERFLOW) concerne = true;
            i += static_cast<ssize_t>(sizeof e + e.len);
        }
    }
    return concerne;
}

}  // namespace journee
