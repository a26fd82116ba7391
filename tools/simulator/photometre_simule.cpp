#include "tools/simulator/photometre_simule.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/descripteur.h"
#include "platform/port_publication.h"
#include "platform/ports.h"

namespace simulateur {
namespace {

using Horloge = std::chrono::steady_clock;
using namespace std::chrono_literals;

// While no program has the port open the master reports a hang-up at once on
// every poll, so the opening is watched for at this pace instead.
constexpr auto IntervalleFerme = 25ms;
// Pieces of a split frame are written this far apart, so that a reader gets
// them in separate reads.
constexpr auto EcartMorceaux = 2ms;
// Automatic frames are skipped rather than piled up while the program does
// not read.
constexpr size_t MorceauxEnAttenteMax = 16;

std::string Erreur(const std::string& texte, int numero) {
    return texte + " : " + std::strerror(numero);
}

bool NomValide(const std::string& nom) {
    if (nom.empty() || nom.size() > 32 || nom.front() == '.' || nom.front() == '-') return false;
    for (const char c : nom)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.'))
            return false;
    return true;
}

std::string Volts(uint16_t compte) {
    char texte[16];
    std::snprintf(texte, sizeof texte, "%.2f", TensionDeCompte(compte));
    for (char* c = texte; *c; ++c)
        if (*c == '.') *c = ',';
    return texte;
}

std::string Decrire(const Identification& id) {
    return "n° " + std::to_string(id.numero) + ", version " + std::to_string(id.version / 10) +
           "," + std::to_string(id.version % 10) + ", V0 vert " + Volts(id.v0Vert) +
           " V, Vn vert " + Volts(id.vnVert) + " V, V0 rouge " + Volts(id.v0Rouge) +
           " V, Vn rouge " + Volts(id.vnRouge) + " V";
}

Horloge::duration Periode(double cadence) {
    return std::chrono::duration_cast<Horloge::duration>(
        std::chrono::duration<double>(1.0 / cadence));
}

void Vider(const platform::Descripteur& eventfd) {
    uint64_t v;
    platform::SansInterruption([&] { return read(eventfd.Get(), &v, sizeof v); });
}

timespec Delai(Horloge::duration d) {
    if (d < Horloge::duration::zero()) d = Horloge::duration::zero();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

}  // namespace

std::vector<std::string> Decouper(const std::string& trame, std::mt19937& alea) {
    if (trame.size() < 2) return {trame};
    std::uniform_int_distribution<size_t> coupe(1, trame.size() - 1);
    std::vector<size_t> coupes{0, trame.size()};
    for (int i = std::uniform_int_distribution<int>(1, 3)(alea); i > 0; --i)
        coupes.push_back(coupe(alea));
    std::sort(coupes.begin(), coupes.end());
    coupes.erase(std::unique(coupes.begin(), coupes.end()), coupes.end());
    std::vector<std::string> morceaux;
    for (size_t i = 0; i + 1 < coupes.size(); ++i)
        morceaux.push_back(trame.substr(coupes[i], coupes[i + 1] - coupes[i]));
    return morceaux;
}

TPhotometreSimule::TPhotometreSimule(Reglages reglages)
    : reglages_(std::move(reglages)), constantes_(reglages_.identification) {
    reglages_.lot = std::max(1, reglages_.lot);
}

TPhotometreSimule::~TPhotometreSimule() {
    Arreter();
}

std::string TPhotometreSimule::CheminPublie() const {
    return ports::PublishedPortsDirectory() + "/" + reglages_.nom;
}

void TPhotometreSimule::Demarrer() {
    if (Actif()) return;
    if (!NomValide(reglages_.nom))
        throw std::runtime_error("« " + reglages_.nom +
                                 " » n'est pas un nom de port correct (lettres, chiffres, "
                                 "« _ », « - » et « . », 32 caractères au plus)");
    // The program resolves a name under /dev first: that device would win.
    if (access(("/dev/" + reglages_.nom).c_str(), F_OK) == 0)
        throw std::runtime_error("Le nom « " + reglages_.nom + " » désigne déjà /dev/" +
                                 reglages_.nom + " : choisissez-en un autre");

    int maitre = -1, esclave = -1;
    char nom[256] = {};
    if (openpty(&maitre, &esclave, nom, nullptr, nullptr) != 0)
        throw std::runtime_error(Erreur("Impossible de créer le pseudo-terminal", errno));
    maitre_ = platform::Descripteur(maitre);
    // This end is the program's: the simulator never holds it.
    platform::Descripteur(esclave).Fermer();
    esclave_ = nom;
    // Raw, so that the line echoes nothing back and changes no byte; the
    // settings stay with the terminal after the slave end is closed.
    termios t{};
    tcgetattr(maitre, &t);
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&t, B19200);
    tcsetattr(maitre, TCSANOW, &t);
    fcntl(maitre, F_SETFL, fcntl(maitre, F_GETFL) | O_NONBLOCK);
    fcntl(maitre, F_SETFD, FD_CLOEXEC);
    reveil_ = platform::Descripteur(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    try {
        if (!reveil_.Valide()) throw std::runtime_error(Erreur("eventfd", errno));
        Publier();
    } catch (...) {
        Arreter();
        throw;
    }
    {
        std::lock_guard l(m_);
        arret_ = false;
        ouvert_ = false;
    }
    fil_ = std::thread([this] { Boucle(); });
}

void TPhotometreSimule::Arreter() {
    if (fil_.joinable()) {
        {
            std::lock_guard l(m_);
            arret_ = true;
        }
        Reveiller();
        fil_.join();
    }
    Retirer();
    maitre_.Fermer();
    reveil_.Fermer();
    std::lock_guard l(m_);
    ouvert_ = false;
    changement_.notify_all();
}

void TPhotometreSimule::Publier() {
    publication_ = std::make_unique<ports::PortPublication>(reglages_.nom, esclave_);
}

void TPhotometreSimule::Retirer() {
    publication_.reset();
}

void TPhotometreSimule::Reveiller() {
    if (!reveil_.Valide()) return;
    const uint64_t un = 1;
    platform::SansInterruption([&] { return write(reveil_.Get(), &un, sizeof un); });
}

void TPhotometreSimule::Journal(const std::string& texte) const {
    if (reglages_.journal) reglages_.journal(texte);
}

bool TPhotometreSimule::PortOuvert() const {
    std::lock_guard l(m_);
    return ouvert_;
}

bool TPhotometreSimule::AttendrePortOuvert(bool ouvert, std::chrono::milliseconds delai) const {
    std::unique_lock l(m_);
    return changement_.wait_for(l, delai, [&] { return ouvert_ == ouvert; });
}

int TPhotometreSimule::Ouvertures() const {
    std::lock_guard l(m_);
    return ouvertures_;
}

void TPhotometreSimule::DefinirMode(Mode mode) {
    {
        std::lock_guard l(m_);
        reglages_.mode = mode;
    }
    Reveiller();
}

Mode TPhotometreSimule::ModeCourant() const {
    std::lock_guard l(m_);
    return reglages_.mode;
}

void TPhotometreSimule::DefinirCadence(double tramesParSeconde) {
    if (!(tramesParSeconde >= 0.0)) tramesParSeconde = 0.0;
    {
        std::lock_guard l(m_);
        reglages_.cadence = tramesParSeconde;
    }
    Reveiller();
}

double TPhotometreSimule::Cadence() const {
    std::lock_guard l(m_);
    return reglages_.cadence;
}

void TPhotometreSimule::DefinirLot(int trames) {
    std::lock_guard l(m_);
    reglages_.lot = std::max(1, trames);
}

int TPhotometreSimule::Lot() const {
    std::lock_guard l(m_);
    return reglages_.lot;
}

void TPhotometreSimule::DefinirBruit(int octetsMax) {
    std::lock_guard l(m_);
    reglages_.bruit = std::max(0, octetsMax);
}

void TPhotometreSimule::DefinirDecoupe(bool decoupe) {
    std::lock_guard l(m_);
    reglages_.decoupe = decoupe;
}

void TPhotometreSimule::EnvoyerMesure(Mode mode, uint16_t vert, uint16_t rouge,
                                      uint16_t temperature) {
    {
        std::lock_guard l(m_);
        demandes_.push_back({mode, {vert, rouge, temperature}});
    }
    Reveiller();
}

Identification TPhotometreSimule::Constantes() const {
    std::lock_guard l(m_);
    return constantes_;
}

int TPhotometreSimule::DemandesIdentification() const {
    std::lock_guard l(m_);
    return demandesIdentification_;
}

int TPhotometreSimule::EcrituresRecues() const {
    std::lock_guard l(m_);
    return ecritures_;
}

int TPhotometreSimule::IdentificationsEnvoyees() const {
    std::lock_guard l(m_);
    return identifications_;
}

int TPhotometreSimule::MesuresEnvoyees() const {
    std::lock_guard l(m_);
    return mesures_;
}

int TPhotometreSimule::MesuresSautees() const {
    std::lock_guard l(m_);
    return sautees_;
}

Comptes TPhotometreSimule::DerniereMesure() const {
    std::lock_guard l(m_);
    return derniereMesure_;
}

bool TPhotometreSimule::AttendreMesures(int nombre, std::chrono::milliseconds delai) const {
    std::unique_lock l(m_);
    return changement_.wait_for(l, delai, [&] { return mesures_ >= nombre; });
}

std::string TPhotometreSimule::Parasites() {
    int bruit;
    {
        std::lock_guard l(m_);
        bruit = reglages_.bruit;
    }
    std::string parasites;
    if (bruit > 0) {
        // Never FF: the program finds frames by that byte alone, and a stray
        // one would swallow the frame behind it.
        std::uniform_int_distribution<int> nombre(0, bruit), octet(0, 0xFE);
        for (int i = nombre(alea_); i > 0; --i)
            parasites.push_back(static_cast<char>(octet(alea_)));
    }
    return parasites;
}

void TPhotometreSimule::AjouterMesures(std::deque<Morceau>& sortie, std::vector<Trame> mesures) {
    bool decoupe;
    {
        std::lock_guard l(m_);
        decoupe = reglages_.decoupe;
    }
    if (decoupe) {
        for (const Trame& t : mesures)
            AjouterTrame(sortie, TrameMesure(t.mode, t.comptes), Fin::Mesure, {t});
        return;
    }
    // Whole frames, one write for them all.
    std::string octets;
    for (const Trame& t : mesures) octets += Parasites() + TrameMesure(t.mode, t.comptes);
    sortie.push_back({std::move(octets), {}, Fin::Mesure, std::move(mesures)});
}

void TPhotometreSimule::AjouterTrame(std::deque<Morceau>& sortie, const std::string& trame, Fin fin,
                                     std::vector<Trame> mesures) {
    bool decoupe;
    {
        std::lock_guard l(m_);
        decoupe = reglages_.decoupe;
    }
    const std::string parasites = Parasites();
    if (!decoupe) {
        sortie.push_back({parasites + trame, {}, fin, std::move(mesures)});
        return;
    }
    if (!parasites.empty()) sortie.push_back({parasites, EcartMorceaux, Fin::Rien, {}});
    const std::vector<std::string> morceaux = Decouper(trame, alea_);
    for (size_t i = 0; i < morceaux.size(); ++i) {
        const bool derniere = i + 1 == morceaux.size();
        sortie.push_back({morceaux[i], derniere ? std::chrono::microseconds{} : EcartMorceaux,
                          derniere ? fin : Fin::Rien,
                          derniere ? std::move(mesures) : std::vector<Trame>{}});
    }
}

void TPhotometreSimule::LireRequetes(bool ouvert, std::deque<Morceau>& sortie, bool& ferme) {
    char octets[512];
    for (;;) {
        const ssize_t n =
            platform::SansInterruption([&] { return read(maitre_.Get(), octets, sizeof octets); });
        if (n <= 0) {
            // EIO: the program has closed the port and everything it wrote
            // before has been read.
            if (n == 0 || errno == EIO) ferme = true;
            return;
        }
        for (ssize_t i = 0; i < n; ++i) {
            switch (lecteur_.Lire(static_cast<uint8_t>(octets[i]))) {
                case TLecteurRequetes::Requete::Aucune:
                    break;
                case TLecteurRequetes::Requete::Identification: {
                    Identification id;
                    {
                        std::lock_guard l(m_);
                        ++demandesIdentification_;
                        id = constantes_;
                    }
                    requeteRecue_ = true;
                    // A request from a program that has already closed the
                    // port gets no answer: it would wait for the next opening.
                    if (ouvert) AjouterTrame(sortie, TrameIdentification(id), Fin::Identification);
                    Journal("Demande d'identification reçue");
                    break;
                }
                case TLecteurRequetes::Requete::Ecriture: {
                    {
                        std::lock_guard l(m_);
                        ++ecritures_;
                        constantes_ = lecteur_.Ecriture();
                    }
                    requeteRecue_ = true;
                    changement_.notify_all();
                    Journal("Constantes écrites : " + Decrire(lecteur_.Ecriture()));
                    break;
                }
            }
        }
    }
}

void TPhotometreSimule::ViderEntreeEsclave() const {
    // Bytes sent just before the program closed and not read by it would wait
    // in the terminal for its next opening, unlike on a real line.
    const platform::Descripteur esclave(platform::SansInterruption(
        [&] { return open(esclave_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); }));
    if (esclave.Valide()) tcflush(esclave.Get(), TCIFLUSH);
}

void TPhotometreSimule::Boucle() {
    TCielClair ciel(reglages_.site, reglages_.identification, alea_());
    size_t suivantFichier = 0;
    std::deque<Morceau> sortie;
    bool ouvert = false;
    bool bloque = false;  // the terminal is full: wait until it takes bytes again
    Horloge::time_point prochaineMesure{}, finSilence{}, prochainMorceau{};
    double cadence = 0.0;
    int lot = 1;

    for (;;) {
        {
            std::lock_guard l(m_);
            if (arret_) break;
        }
        if (!ouvert) {
            bool ferme = false;
            pollfd p{maitre_.Get(), POLLIN, 0};
            platform::SansInterruption([&] { return poll(&p, 1, 0); });
            if (p.revents & POLLNVAL) break;
            // What a program wrote just before it closed gets no answer; what
            // an open port brings is read once it counts as open.
            if ((p.revents & POLLHUP) && (p.revents & POLLIN)) LireRequetes(false, sortie, ferme);
            if (!(p.revents & POLLHUP)) {
                ouvert = true;
                const auto maintenant = Horloge::now();
                {
                    std::lock_guard l(m_);
                    ouvert_ = true;
                    ++ouvertures_;
                    finSilence = maintenant + reglages_.silence;
                    cadence = reglages_.cadence;
                    lot = reglages_.lot;
                }
                changement_.notify_all();
                lecteur_.Reinitialiser();
                requeteRecue_ = false;
                bloque = false;
                prochainMorceau = maintenant;
                prochaineMesure =
                    cadence > 0 ? maintenant + Periode(cadence) * lot : Horloge::time_point::max();
                Journal("Port ouvert par le programme");
                continue;
            }
            pollfd r{reveil_.Get(), POLLIN, 0};
            const timespec d = Delai(IntervalleFerme);
            if (platform::SansInterruption([&] { return ppoll(&r, 1, &d, nullptr); }) > 0)
                Vider(reveil_);
            continue;
        }

        // The port is open.
        auto maintenant = Horloge::now();
        Mode mode;
        std::vector<Trame> demandes;
        std::vector<Comptes> const* fichier = &reglages_.comptes;
        {
            std::lock_guard l(m_);
            mode = reglages_.mode;
            demandes.swap(demandes_);
            lot = reglages_.lot;
            if (reglages_.cadence != cadence) {
                cadence = reglages_.cadence;
                prochaineMesure =
                    cadence > 0 ? maintenant + Periode(cadence) * lot : Horloge::time_point::max();
            }
        }
        for (const Trame& d : demandes) AjouterMesures(sortie, {d});
        if (cadence > 0 && maintenant >= prochaineMesure) {
            const auto periode = Periode(cadence) * lot;
            if (maintenant >= finSilence && sortie.size() < MorceauxEnAttenteMax) {
                std::vector<Trame> trames;
                for (int i = 0; i < lot; ++i) {
                    Comptes c;
                    if (!fichier->empty()) {
                        c = (*fichier)[suivantFichier];
                        suivantFichier = (suivantFichier + 1) % fichier->size();
                    } else {
                        const auto instant = std::chrono::system_clock::to_time_t(
                            std::chrono::system_clock::now() + reglages_.decalageHorloge);
                        c = ciel.Mesurer(instant);
                    }
                    trames.push_back({mode, c});
                }
                AjouterMesures(sortie, std::move(trames));
            } else if (maintenant >= finSilence) {
                std::lock_guard l(m_);
                sautees_ += lot;
            }
            prochaineMesure += periode;
            // After a pause (silence, a slow reader) start again from now
            // rather than catching up with a burst.
            if (prochaineMesure < maintenant) prochaineMesure = maintenant + periode;
            if (prochaineMesure < finSilence) prochaineMesure = finSilence;
        }

        // Write what is due.
        while (!sortie.empty() && !bloque && Horloge::now() >= prochainMorceau) {
            Morceau& m = sortie.front();
            // Taken before the write, so that a reader woken by it never
            // seems to get the bytes before they went out.
            const auto ecrit = Horloge::now();
            const ssize_t n = platform::SansInterruption(
                [&] { return write(maitre_.Get(), m.octets.data(), m.octets.size()); });
            if (n < 0) {
                // EAGAIN: the program is not reading; EIO: it has just closed.
                bloque = true;
                break;
            }
            m.octets.erase(0, static_cast<size_t>(n));
            if (!m.octets.empty()) continue;
            prochainMorceau = Horloge::now() + m.pause;
            if (m.fin != Fin::Rien) {
                int numero = 0;
                {
                    std::lock_guard l(m_);
                    if (m.fin == Fin::Identification) {
                        ++identifications_;
                    } else {
                        numero = mesures_;
                        mesures_ += static_cast<int>(m.mesures.size());
                        derniereMesure_ = m.mesures.back().comptes;
                    }
                }
                changement_.notify_all();
                if (reglages_.mesureEcrite)
                    for (const Trame& t : m.mesures)
                        reglages_.mesureEcrite(++numero, t.mode, t.comptes, ecrit);
            }
            sortie.pop_front();
        }

        // Sleep until the next piece or frame is due, something arrives, the
        // terminal takes bytes again, or a call wakes the thread.
        maintenant = Horloge::now();
        Horloge::time_point reveil = prochaineMesure;
        if (!sortie.empty() && !bloque) reveil = std::min(reveil, prochainMorceau);
        pollfd p[2] = {{maitre_.Get(), static_cast<short>(POLLIN | (bloque ? POLLOUT : 0)), 0},
                       {reveil_.Get(), POLLIN, 0}};
        timespec d{};
        const timespec* delai = nullptr;
        if (reveil != Horloge::time_point::max()) {
            d = Delai(reveil - maintenant);
            delai = &d;
        }
        requeteRecue_ = false;
        if (platform::SansInterruption([&] { return ppoll(p, 2, delai, nullptr); }) < 0) break;
        if (p[1].revents & POLLIN) Vider(reveil_);
        if (p[0].revents & POLLNVAL) break;
        if (p[0].revents & POLLOUT) bloque = false;
        bool ferme = (p[0].revents & POLLHUP) != 0;
        if (p[0].revents & (POLLIN | POLLHUP)) LireRequetes(!ferme, sortie, ferme);
        if (requeteRecue_) finSilence = std::max(finSilence, Horloge::now() + reglages_.silence);
        if (ferme) {
            ouvert = false;
            sortie.clear();
            lecteur_.Reinitialiser();
            ViderEntreeEsclave();
            {
                std::lock_guard l(m_);
                ouvert_ = false;
            }
            changement_.notify_all();
            Journal("Port fermé par le programme");
        }
    }
}

}  // namespace simulateur
