#include "bench/serveur_x.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/demarrage.h"

namespace banc {

ServeurX::ServeurX(std::string& erreur) {
    int tube[2];
    if (pipe2(tube, O_CLOEXEC) != 0) return;
    fcntl(tube[1], F_SETFD, 0);
    // Large enough for the whole window where it places itself, since only
    // what is on the screen can be read back.
    // -noreset: the server would otherwise restart, and refuse connections
    // meanwhile, each time the last client leaves.
    pid_ = Lancer({"Xvfb", "-displayfd", std::to_string(tube[1]), "-br", "-noreset", "-nolisten",
                   "tcp", "-screen", "0", "1920x1080x24"},
                  "", {});
    close(tube[1]);
    std::string numero;
    pollfd p{tube[0], POLLIN, 0};
    char c;
    while (pid_ > 0 && poll(&p, 1, 10000) > 0 && read(tube[0], &c, 1) == 1 && c != '\n')
        numero += c;
    close(tube[0]);
    if (numero.empty()) {
        erreur = pid_ > 0 ? "Xvfb gave no display" : "Xvfb cannot be started";
        return;
    }
    affichage_ = ":" + numero;
}

ServeurX::~ServeurX() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

}  // namespace banc
