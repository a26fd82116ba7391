#include "bench/demarrage_x11.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "bench/demarrage.h"
#include "bench/processus.h"
#include "bench/serveur_x.h"

namespace banc {
namespace {

using namespace std::chrono_literals;

template <typename T>
using Reponse = std::unique_ptr<T, decltype(&std::free)>;

// A line of the window, read back from the server: painted when it holds
// more than one colour.
bool LignePeinte(xcb_connection_t* c, xcb_window_t w, uint16_t largeur, int16_t y) {
    Reponse<xcb_get_image_reply_t> image(
        xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, y, largeur, 1, ~0u), nullptr),
        &std::free);
    if (!image) return false;
    const uint8_t* octets = xcb_get_image_data(image.get());
    const int taille = xcb_get_image_data_length(image.get());
    for (int i = 4; i + 4 <= taille; i += 4)
        if (std::memcmp(octets, octets + i, 3) != 0) return true;
    return false;
}

std::optional<DemarrageExterne> UneFois(const std::string& programme, const std::string& affichage,
                                        std::string& erreur) {
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(
        xcb_connect(affichage.c_str(), nullptr), &xcb_disconnect);
    if (xcb_connection_has_error(c.get())) {
        erreur = "cannot reach the X server " + affichage;
        return std::nullopt;
    }
    const xcb_window_t racine = xcb_setup_roots_iterator(xcb_get_setup(c.get())).data->root;
    const uint32_t masque = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c.get(), racine, XCB_CW_EVENT_MASK, &masque);
    xcb_flush(c.get());

    const std::string dossier = DossierTemporaire("solvenare-banc-x11");
    const auto debut = Horloge::now();
    const pid_t pid =
        Lancer({programme}, dossier,
               {"DISPLAY=" + affichage, "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + dossier});
    if (pid < 0) {
        erreur = "cannot start " + programme;
        return std::nullopt;
    }
    std::optional<DemarrageExterne> resultat;
    xcb_window_t fenetre = XCB_NONE;
    Reponse<xcb_get_geometry_reply_t> geometrie(nullptr, &std::free);
    Horloge::time_point affichee{};
    const auto limite = debut + 30s;
    pollfd p{xcb_get_file_descriptor(c.get()), POLLIN, 0};
    while (fenetre == XCB_NONE && Horloge::now() < limite) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c.get())) {
            if ((e->response_type & 0x7F) == XCB_MAP_NOTIFY && fenetre == XCB_NONE) {
                const auto t = Horloge::now();
                const xcb_window_t w = reinterpret_cast<xcb_map_notify_event_t*>(e)->window;
                // Qt also maps a 1x1 window of its own: the main window is
                // the first large one.
                geometrie.reset(
                    xcb_get_geometry_reply(c.get(), xcb_get_geometry(c.get(), w), nullptr));
                if (geometrie && geometrie->width >= 100 && geometrie->height >= 100) {
                    fenetre = w;
                    affichee = t;
                }
            }
            std::free(e);
        }
        if (fenetre == XCB_NONE) poll(&p, 1, 100);
    }
    if (fenetre == XCB_NONE) erreur = "no window was mapped";
    if (fenetre != XCB_NONE) {
        const uint16_t l = geometrie->width, h = geometrie->height;
        while (Horloge::now() < limite) {
            if (LignePeinte(c.get(), fenetre, l, static_cast<int16_t>(h / 2)) ||
                LignePeinte(c.get(), fenetre, l, static_cast<int16_t>(h / 4))) {
                const auto peinte = Horloge::now();
                std::this_thread::sleep_for(1s);
                resultat = DemarrageExterne{Secondes(affichee - debut), Secondes(peinte - debut),
                                            MemoireKio("VmRSS", pid)};
                break;
            }
            std::this_thread::sleep_for(1ms);
        }
        if (!resultat) erreur = "the window was never painted";
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    std::filesystem::remove_all(dossier);
    return resultat;
}

}  // namespace

std::vector<DemarrageExterne> DemarrerProgrammeSousXvfb(const std::string& programme, int fois,
                                                        std::string& erreur) {
    std::vector<DemarrageExterne> mesures;
    ServeurX serveur(erreur);
    if (serveur.Affichage().empty()) return mesures;
    for (int i = 0; i < fois; ++i) {
        const auto m = UneFois(programme, serveur.Affichage(), erreur);
        if (!m) break;
        mesures.push_back(*m);
    }
    return mesures;
}

}  // namespace banc
