#include "tools/simulator/photometre_simule.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "link/comdatapacket.h"
#include "link/comport.h"
#include "platform/descripteur.h"
#include "platform/ports.h"
#include "platform/serial.h"
#include "tests/support/pty_pair.h"

using seriallink::br19200;
using seriallink::TComDataPacket;
using seriallink::TComPort;

using namespace simulateur;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Every test process publishes into a folder of its own.
const std::string DossierPrive = [] {
    char modele[] = "/tmp/solvenare-simulateur-XXXXXX";
    const std::string dossier = mkdtemp(modele);
    setenv("XDG_RUNTIME_DIR", dossier.c_str(), 1);
    std::atexit([] { fs::remove_all(getenv("XDG_RUNTIME_DIR")); });
    return dossier;
}();

// What must happen is waited for this long: only a simulator that is stuck
// reaches it, however loaded the machine. What must not happen is watched for
// a short while, which a loaded machine can only make pass more easily.
constexpr auto Genereux = 30s;

using Predicat = std::function<bool(const std::string&)>;

// The program's end of the line, opened by the published name as the
// program does.
class CoteProgramme {
  public:
    explicit CoteProgramme(const std::string& nom) : nom_(nom) { Ouvrir(); }

    void Ouvrir() {
        fd_ = platform::Descripteur(platform::SansInterruption([&] {
            return open(serial::DevicePath(nom_).c_str(),
                        O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        }));
        if (!fd_.Valide()) throw std::runtime_error("open " + nom_);
    }
    void Fermer() { fd_.Fermer(); }
    void Ecrire(const std::string& octets) {
        ASSERT_EQ(platform::EcrireTout(fd_.Get(), octets), 0);
    }
    // Until `nombre` bytes have come.
    std::string Lire(size_t nombre, std::chrono::milliseconds delai = Genereux) {
        return Recevoir(
            nombre, [&](const std::string& recu) { return recu.size() >= nombre; }, delai);
    }
    // Until what has come satisfies `fini`.
    std::string LireJusqua(const Predicat& fini) { return Recevoir(SIZE_MAX, fini, Genereux); }
    // All that comes in that time.
    std::string LirePendant(std::chrono::milliseconds duree) {
        return Recevoir(
            SIZE_MAX, [](const std::string&) { return false; }, duree);
    }

  private:
    std::string Recevoir(size_t nombre, const Predicat& fini, std::chrono::milliseconds delai) {
        std::string recu;
        const auto fin = std::chrono::steady_clock::now() + delai;
        while (!fini(recu)) {
            const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(
                fin - std::chrono::steady_clock::now());
            if (reste.count() <= 0) break;
            pollfd p{fd_.Get(), POLLIN, 0};
            if (platform::SansInterruption(
                    [&] { return poll(&p, 1, static_cast<int>(reste.count())); }) <= 0)
                continue;
            char octets[4096];
            const ssize_t n = platform::SansInterruption([&] {
                return read(fd_.Get(), octets, std::min(sizeof octets, nombre - recu.size()));
            });
            if (n > 0) recu.append(octets, static_cast<size_t>(n));
        }
        return recu;
    }

    std::string nom_;
    platform::Descripteur fd_;
};

// Whole frames read up to and including `trame`.
Predicat FinitPar(const std::string& trame) {
    return [trame](const std::string& recu) {
        return recu.size() >= trame.size() && recu.size() % trame.size() == 0 &&
               recu.compare(recu.size() - trame.size(), trame.size(), trame) == 0;
    };
}

// A state of the simulator that comes in its own time.
bool Jusqua(const std::function<bool()>& condition) {
    for (const auto fin = std::chrono::steady_clock::now() + Genereux;
         std::chrono::steady_clock::now() < fin; std::this_thread::sleep_for(2ms))
        if (condition()) return true;
    return condition();
}

Reglages Essai(const std::string& nom, double cadence = 0) {
    Reglages r;
    r.nom = nom;
    r.cadence = cadence;
    r.silence = 0ms;
    return r;
}

std::vector<std::string> Trames(const std::string& flux) {
    std::vector<std::string> t;
    for (size_t i = 0; i + 8 <= flux.size(); i += 8) t.push_back(flux.substr(i, 8));
    return t;
}

uint16_t Mot(const std::string& t, size_t i) {
    return static_cast<uint16_t>(static_cast<uint8_t>(t[i]) << 8 | static_cast<uint8_t>(t[i + 1]));
}

double CpuProcessus() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

const std::string FF40("\xFF\x40", 2);

}  // namespace

TEST(Publication, NameIsListedWhileRunningAndGoneAfterStop) {
    TPhotometreSimule sim(Essai("SIMT"));
    sim.Demarrer();
    ASSERT_FALSE(sim.CheminEsclave().empty());
    EXPECT_EQ(fs::read_symlink(sim.CheminPublie()), sim.CheminEsclave());
    EXPECT_EQ(serial::DevicePath("SIMT"), sim.CheminEsclave());
    auto listes = ports::ListSerialPorts();
    EXPECT_NE(std::find(listes.begin(), listes.end(), "SIMT"), listes.end());

    TPhotometreSimule second(Essai("SIMT"));
    EXPECT_THROW(second.Demarrer(), std::runtime_error);
    EXPECT_TRUE(fs::is_symlink(sim.CheminPublie())) << "the refused one took the link away";

    sim.Arreter();
    EXPECT_FALSE(fs::exists(fs::symlink_status(sim.CheminPublie())));
    listes = ports::ListSerialPorts();
    EXPECT_EQ(std::find(listes.begin(), listes.end(), "SIMT"), listes.end());
    // The name is free again.
    TPhotometreSimule troisieme(Essai("SIMT"));
    EXPECT_NO_THROW(troisieme.Demarrer());
}

TEST(Publication, LinkLeftByAKilledSimulatorIsReplacedAndBadNamesRefused) {
    fs::create_directories(ports::PublishedPortsDirectory());
    fs::create_symlink("/dev/null", ports::PublishedPortsDirectory() + "/SIMK");
    TPhotometreSimule sim(Essai("SIMK"));
    sim.Demarrer();
    EXPECT_EQ(fs::read_symlink(sim.CheminPublie()), sim.CheminEsclave());

    // "null" would open /dev/null: the program looks under /dev first.
    for (const char* nom : {"null", "a/b", "", ".SIM", "..", "SIM 0"}) {
        SCOPED_TRACE(nom);
        TPhotometreSimule faux(Essai(nom));
        EXPECT_THROW(faux.Demarrer(), std::runtime_error);
    }
}

TEST(Identification, AnswersRequestsAndReportsWrittenConstants) {
    TPhotometreSimule sim(Essai("SIMI"));
    sim.Demarrer();
    CoteProgramme port("SIMI");
    // One byte per write, as the program sends it.
    port.Ecrire("\xFF");
    std::this_thread::sleep_for(20ms);
    port.Ecrire("\x40");
    EXPECT_EQ(port.Lire(11), TrameIdentification(Identification{}));

    const Identification nouvelles{42, 13, 0x01FF, 3, 0x0240, 0x00FF};
    for (char c : CommandeEcriture(nouvelles)) port.Ecrire(std::string(1, c));
    ASSERT_TRUE(Jusqua([&] { return sim.EcrituresRecues() == 1; }));
    EXPECT_EQ(port.LirePendant(200ms), "") << "a write gets no reply";
    EXPECT_EQ(sim.Constantes(), nouvelles);

    // Among stray bytes and after a doubled start byte.
    port.Ecrire(std::string("\x01\x02\xFF\xFF\x40\x33", 6));
    EXPECT_EQ(port.Lire(11), TrameIdentification(nouvelles));
    EXPECT_EQ(port.LirePendant(100ms), "");
    EXPECT_EQ(sim.DemandesIdentification(), 2);
    // Counted once the write that carried it has returned.
    EXPECT_TRUE(Jusqua([&] { return sim.IdentificationsEnvoyees() == 2; }));
}

TEST(Port, ServesEveryOpeningAndForgetsAHalfRequest) {
    TPhotometreSimule sim(Essai("SIMO"));
    sim.Demarrer();
    EXPECT_FALSE(sim.PortOuvert());
    CoteProgramme port("SIMO");
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(sim.AttendrePortOuvert(true, Genereux));
        port.Ecrire(FF40);
        EXPECT_EQ(port.Lire(11), TrameIdentification(Identification{}));
        // A start byte left alone must not pair with the next opening's bytes.
        port.Ecrire("\xFF");
        port.Fermer();
        ASSERT_TRUE(sim.AttendrePortOuvert(false, Genereux));
        port.Ouvrir();
        port.Ecrire("\x40");
        EXPECT_EQ(port.LirePendant(150ms), "");
    }
    EXPECT_EQ(sim.Ouvertures(), 4);
}

TEST(Port, NothingIsSentWhileClosedAndNothingStaleOnReopening) {
    Reglages r = Essai("SIMF", 100);
    r.silence = 400ms;
    std::mutex m;
    std::vector<std::pair<Comptes, std::chrono::steady_clock::time_point>> ecrites;
    r.mesureEcrite = [&](int, Mode, const Comptes& c, std::chrono::steady_clock::time_point t) {
        std::lock_guard l(m);
        ecrites.emplace_back(c, t);
    };
    TPhotometreSimule sim(r);
    sim.Demarrer();
    CoteProgramme port("SIMF");
    ASSERT_TRUE(sim.AttendreMesures(5, Genereux));
    // Left unread when the port closes, as after a program that stops reading.
    port.Fermer();
    ASSERT_TRUE(sim.AttendrePortOuvert(false, Genereux));
    const int envoyees = sim.MesuresEnvoyees();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(sim.MesuresEnvoyees(), envoyees);

    // Asked for while closed: kept for the opening, not written into the line.
    sim.EnvoyerMesure(Mode::Simple, 1, 2, 3);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sim.MesuresEnvoyees(), envoyees);
    {
        std::lock_guard l(m);
        ecrites.clear();
    }
    const auto ouverture = std::chrono::steady_clock::now();
    port.Ouvrir();
    EXPECT_EQ(port.Lire(8), TrameMesure(Mode::Simple, {1, 2, 3}));
    // Then automatic ones start again, but not before the silence after the
    // opening is over.
    EXPECT_EQ(port.Lire(16).size(), 16u);
    ASSERT_TRUE(sim.AttendreMesures(envoyees + 3, Genereux));
    std::lock_guard l(m);
    ASSERT_GE(ecrites.size(), 2u);
    EXPECT_EQ(ecrites[0].first, (Comptes{1, 2, 3}));
    EXPECT_GE(ecrites[1].second - ouverture, r.silence);
}

TEST(Mesures, ArriveInTheChosenModeAtAboutTheRate) {
    Reglages r = Essai("SIMM", 20);
    r.mode = Mode::Continu;
    TPhotometreSimule sim(r);
    sim.Demarrer();
    const auto debut = std::chrono::steady_clock::now();
    CoteProgramme port("SIMM");
    const auto trames = Trames(port.Lire(10 * 8));
    ASSERT_EQ(trames.size(), 10u);
    // Not faster than the rate: the tenth frame is due ten periods after
    // the opening. A slow machine only makes them later.
    EXPECT_GE(std::chrono::steady_clock::now() - debut, 450ms);
    for (const std::string& t : trames) {
        ASSERT_EQ(t.substr(0, 2), "\xFF\xF0");
        EXPECT_LE(Mot(t, 2), 1022);
        EXPECT_LE(Mot(t, 4), 1022);
        EXPECT_NEAR(Mot(t, 6), 780, 20);
    }

    sim.DefinirMode(Mode::Simple);
    EXPECT_EQ(sim.ModeCourant(), Mode::Simple);
    // Frames made before the change may still be on their way; then only the
    // new mode. Frames come whole, so reads stay aligned on them.
    std::string t = port.Lire(8);
    for (int i = 0; i < 100 && t.substr(0, 2) == "\xFF\xF0"; ++i) t = port.Lire(8);
    EXPECT_EQ(t.substr(0, 2), "\xFF\xA0");
    for (const std::string& u : Trames(port.Lire(16))) EXPECT_EQ(u.substr(0, 2), "\xFF\xA0");

    // A frame asked for after the rate is set to zero is the last one.
    sim.DefinirCadence(0);
    sim.EnvoyerMesure(Mode::Continu, 1023, 1023, 1023);
    const std::string derniere = TrameMesure(Mode::Continu, {1023, 1023, 1023});
    EXPECT_TRUE(FinitPar(derniere)(port.LireJusqua(FinitPar(derniere))));
    EXPECT_EQ(port.LirePendant(300ms), "");
}

TEST(Mesures, SendsExactlyTheFramesAskedForAndFileCountsInTurn) {
    TPhotometreSimule sim(Essai("SIMD"));
    sim.Demarrer();
    CoteProgramme port("SIMD");
    std::string attendu;
    for (uint16_t i = 0; i < 5; ++i) {
        const Mode mode = i % 2 ? Mode::Continu : Mode::Simple;
        sim.EnvoyerMesure(mode, static_cast<uint16_t>(0x1FF + i), 1023, static_cast<uint16_t>(i));
        attendu += TrameMesure(mode, {static_cast<uint16_t>(0x1FF + i), 1023, i});
    }
    EXPECT_EQ(port.Lire(attendu.size()), attendu);
    EXPECT_EQ(port.LirePendant(200ms), "");
    EXPECT_TRUE(sim.AttendreMesures(5, Genereux));
    EXPECT_EQ(sim.MesuresEnvoyees(), 5);

    Reglages r = Essai("SIMC", 50);
    r.comptes = {{1, 2, 3}, {4, 5, 6}};
    TPhotometreSimule fichier(r);
    fichier.Demarrer();
    CoteProgramme port2("SIMC");
    const auto trames = Trames(port2.Lire(40));
    ASSERT_EQ(trames.size(), 5u);
    for (size_t i = 0; i < trames.size(); ++i)
        EXPECT_EQ(trames[i], TrameMesure(Mode::Simple, r.comptes[i % 2]));
}

TEST(Mesures, BatchesGoOutWholeInTurnAndEachFrameIsTold) {
    Reglages r = Essai("SIML", 20000);
    r.lot = 200;
    r.mode = Mode::Continu;
    r.comptes = {{1, 2, 3}, {0x1FF, 0x3FF, 780}, {7, 8, 9}};
    std::mutex m;
    std::condition_variable dite;
    std::vector<int> numeros;
    std::vector<Comptes> dites;
    int toutes = 0;
    r.mesureEcrite = [&](int numero, Mode mode, const Comptes& c, auto) {
        std::lock_guard l(m);
        ++toutes;
        dite.notify_all();
        if (mode != Mode::Continu) return;
        numeros.push_back(numero);
        dites.push_back(c);
    };
    TPhotometreSimule sim(r);
    sim.Demarrer();
    CoteProgramme port("SIML");
    std::string flux = port.Lire(10 * 200 * 8);
    // A frame asked for after the rate is set to zero is the last one.
    sim.DefinirCadence(0);
    const Comptes marque{0x3FE, 0x3FE, 0x3FE};
    sim.EnvoyerMesure(Mode::Simple, marque.vert, marque.rouge, marque.temperature);
    const std::string derniere = TrameMesure(Mode::Simple, marque);
    flux += port.LireJusqua(FinitPar(derniere));
    ASSERT_TRUE(FinitPar(derniere)(flux));
    flux.resize(flux.size() - derniere.size());

    const auto trames = Trames(flux);
    ASSERT_EQ(flux.size() % 8, 0u);
    // Many batches, each of them whole.
    EXPECT_GE(trames.size(), 10u * 200);
    EXPECT_EQ(trames.size() % 200, 0u);
    for (size_t i = 0; i < trames.size(); ++i)
        ASSERT_EQ(trames[i], TrameMesure(Mode::Continu, r.comptes[i % 3])) << i;
    ASSERT_TRUE(sim.AttendreMesures(static_cast<int>(trames.size()) + 1, Genereux));
    ASSERT_EQ(sim.MesuresEnvoyees(), static_cast<int>(trames.size()) + 1);
    EXPECT_EQ(sim.DerniereMesure(), marque);
    std::unique_lock l(m);
    ASSERT_TRUE(
        dite.wait_for(l, Genereux, [&] { return toutes == static_cast<int>(trames.size()) + 1; }));
    ASSERT_EQ(numeros.size(), trames.size());
    for (size_t i = 0; i < numeros.size(); ++i) {
        ASSERT_EQ(numeros[i], static_cast<int>(i) + 1);
        ASSERT_EQ(dites[i], r.comptes[i % 3]);
    }
}

TEST(Mesures, FramesSkippedWhileTheProgramDoesNotReadAreCounted) {
    Reglages r = Essai("SIMS", 20000);
    r.lot = 100;
    TPhotometreSimule sim(r);
    sim.Demarrer();
    CoteProgramme port("SIMS");
    ASSERT_TRUE(sim.AttendrePortOuvert(true, Genereux));
    // The terminal is full long before 10000 frames.
    ASSERT_TRUE(Jusqua([&] { return sim.MesuresSautees() > 0; }));
    sim.DefinirCadence(0);
    sim.EnvoyerMesure(Mode::Continu, 1023, 1023, 1023);
    const auto trames =
        Trames(port.LireJusqua(FinitPar(TrameMesure(Mode::Continu, {1023, 1023, 1023}))));
    ASSERT_TRUE(sim.AttendreMesures(static_cast<int>(trames.size()), Genereux));
    EXPECT_EQ(static_cast<int>(trames.size()), sim.MesuresEnvoyees())
        << "skipped frames are not counted as sent";
}

TEST(Perturbations, GarbageAndSplitFramesStillReachTheFramer) {
    Reglages r = Essai("SIMP");
    r.bruit = 6;
    r.decoupe = true;
    TPhotometreSimule sim(r);
    sim.Demarrer();

    // On the plain line: more bytes than the frames.
    {
        CoteProgramme brut("SIMP");
        for (int i = 0; i < 20; ++i) sim.EnvoyerMesure(Mode::Simple, 100, 200, 780);
        // Garbage comes before frames only: the last start byte begins the
        // last frame.
        const std::string flux = brut.LireJusqua([](const std::string& recu) {
            const size_t debut = recu.rfind('\xFF');
            return std::count(recu.begin(), recu.end(), '\xFF') == 20 && recu.size() == debut + 8;
        });
        EXPECT_TRUE(sim.AttendreMesures(20, Genereux));
        EXPECT_EQ(sim.MesuresEnvoyees(), 20);
        EXPECT_GT(flux.size(), 20u * 8);
        EXPECT_EQ(std::count(flux.begin(), flux.end(), '\xFF'), 20) << "stray start bytes";
        ASSERT_TRUE(sim.AttendrePortOuvert(true, Genereux));
    }
    ASSERT_TRUE(sim.AttendrePortOuvert(false, Genereux));

    // Through the program's own port and framer, by the published name.
    TComPort port;
    port.SetPort("SIMP");
    port.SetBaudRate(br19200);
    TComDataPacket framer;
    framer.SetComPort(&port);
    framer.SetStartString("\xFF");
    framer.SetSize(8);
    std::vector<std::string> paquets;
    framer.OnPacket = [&](TObject*, const std::string& p) { paquets.push_back(p); };
    port.Open();
    std::vector<std::string> attendus;
    for (uint16_t i = 0; i < 40; ++i) {
        // Low bytes of FF inside the frames too.
        const Comptes c{static_cast<uint16_t>(0xFF + i), static_cast<uint16_t>(0x3FF - i), 780};
        const Mode mode = i % 3 ? Mode::Simple : Mode::Continu;
        sim.EnvoyerMesure(mode, c.vert, c.rouge, c.temperature);
        attendus.push_back(TrameMesure(mode, c).substr(1));
    }
    EXPECT_TRUE(PumpUntil([&] { return paquets.size() >= attendus.size(); }, Genereux));
    EXPECT_EQ(paquets, attendus);
    port.Close();
}

// How split frames are cut; whether the reader sees the pieces apart depends
// on how fast it reads, so that is not asked of the line test above.
TEST(Perturbations, SplitFramesComeInTwoToFourPiecesThatMakeTheFrame) {
    const std::string trame = TrameMesure(Mode::Continu, {0xFF, 0x3FF, 780});
    std::set<size_t> nombres;
    for (unsigned graine = 0; graine < 200; ++graine) {
        SCOPED_TRACE(graine);
        std::mt19937 alea(graine);
        const auto morceaux = Decouper(trame, alea);
        ASSERT_GE(morceaux.size(), 2u);
        ASSERT_LE(morceaux.size(), 4u);
        std::string ensemble;
        for (const std::string& m : morceaux) {
            ASSERT_FALSE(m.empty());
            ensemble += m;
        }
        ASSERT_EQ(ensemble, trame);
        nombres.insert(morceaux.size());
    }
    EXPECT_EQ(nombres, (std::set<size_t>{2, 3, 4}));
}

TEST(Repos, AnIdleSimulatorCostsNoCpu) {
    TPhotometreSimule sim(Essai("SIMR"));
    sim.Demarrer();
    double avant = CpuProcessus();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(CpuProcessus() - avant, 0.05) << "port closed";

    CoteProgramme port("SIMR");
    ASSERT_TRUE(sim.AttendrePortOuvert(true, Genereux));
    avant = CpuProcessus();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(CpuProcessus() - avant, 0.05) << "port open, nothing to send";
}
