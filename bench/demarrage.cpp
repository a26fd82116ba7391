#include "bench/demarrage.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/fond.h"
#include "app/preparation.h"
#include "bench/processus.h"

extern char** environ;

namespace banc {
namespace {

long long Maintenant() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Horloge::now().time_since_epoch())
        .count();
}

class PremierePeinture : public QObject {
  public:
    bool peinte = false;

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (evenement->type() == QEvent::Paint) peinte = true;
        return QObject::eventFilter(objet, evenement);
    }
};

}  // namespace

int EnfantDemarrage(int argc, char** argv, int fd) {
    // As the program's entry does it.
    QApplication application(argc, argv);
    const long long app = Maintenant();
    PreparerApplication(application);
    TF_Fond F_Fond;
    const long long fenetre = Maintenant();
    PremierePeinture premiere;
    F_Fond.Widget()->installEventFilter(&premiere);
    F_Fond.Show();
    while (!premiere.peinte) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    const long long peinte = Maintenant();
    dprintf(fd, "%lld %lld %lld %ld\n", app, fenetre, peinte, MemoireKio("VmRSS"));
    close(fd);
    return 0;
}

std::string DossierTemporaire(const std::string& prefixe) {
    std::string modele = "/tmp/" + prefixe + "-XXXXXX";
    if (mkdtemp(modele.data()) == nullptr) return "";
    return modele;
}

pid_t Lancer(const std::vector<std::string>& arguments, const std::string& dossier,
             const std::vector<std::string>& variables) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string v = *e;
        bool remplacee = false;
        for (const std::string& nouvelle : variables)
            if (v.compare(0, nouvelle.find('=') + 1, nouvelle, 0, nouvelle.find('=') + 1) == 0)
                remplacee = true;
        if (!remplacee) env.push_back(v);
    }
    env.insert(env.end(), variables.begin(), variables.end());
    std::vector<char*> argv, envp;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!dossier.empty()) posix_spawn_file_actions_addchdir_np(&actions, dossier.c_str());
    pid_t pid = -1;
    const int erreur = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return erreur == 0 ? pid : -1;
}

std::optional<Demarrage> DemarrerEnfant(std::string& erreur) {
    const std::string dossier = DossierTemporaire("solvenare-banc-demarrage");
    int tube[2];
    if (dossier.empty() || pipe2(tube, O_CLOEXEC) != 0) {
        erreur = std::strerror(errno);
        return std::nullopt;
    }
    // The writing end goes to the child under its own number.
    fcntl(tube[1], F_SETFD, 0);
    char soiMeme[4096] = {};
    if (readlink("/proc/self/exe", soiMeme, sizeof soiMeme - 1) <= 0) {
        erreur = "cannot find the bench's own program";
        return std::nullopt;
    }
    const long long debut = Maintenant();
    const pid_t pid = Lancer({soiMeme, OptionEnfant, std::to_string(tube[1])}, dossier,
                             {"XDG_RUNTIME_DIR=" + dossier});
    close(tube[1]);
    std::string recu;
    if (pid < 0) {
        erreur = "cannot start the child";
    } else {
        pollfd p{tube[0], POLLIN, 0};
        char octets[256];
        while (poll(&p, 1, 30000) > 0) {
            const ssize_t n = read(tube[0], octets, sizeof octets);
            if (n <= 0) break;
            recu.append(octets, static_cast<size_t>(n));
        }
        int etat = 0;
        if (waitpid(pid, &etat, WNOHANG) == 0) kill(pid, SIGKILL);
        waitpid(pid, &etat, 0);
    }
    close(tube[0]);
    std::filesystem::remove_all(dossier);
    long long app = 0, fenetre = 0, peinte = 0;
    long rss = -1;
    if (std::sscanf(recu.c_str(), "%lld %lld %lld %ld", &app, &fenetre, &peinte, &rss) != 4) {
        if (erreur.empty()) erreur = "the child reported nothing";
        return std::nullopt;
    }
    return Demarrage{(app - debut) / 1e9, (fenetre - debut) / 1e9, (peinte - debut) / 1e9, rss};
}

}  // namespace banc
