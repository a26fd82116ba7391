#include "tools/simulator/photometre_simule.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "link/comdatapacket.h"
#include "link/comport.h"
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

// The program's end of the line, opened by the published name as the
// program does.
class CoteProgramme {
  public:
    explicit CoteProgramme(const std::string& nom) : nom_(nom) { Ouvrir(); }
    ~CoteProgramme() { Fermer(); }

    void Ouvrir() {
        fd_ = open(serial::DevicePath(nom_).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) throw std::runtime_error("open " + nom_);
    }
    void Fermer() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    void Ecrire(const std::string& octets) {
        ASSERT_EQ(write(fd_, octets.data(), octets.size()), static_cast<ssize_t>(octets.size()));
    }
    // Until `nombre` bytes have come or the time is up.
    std::string Lire(size_t nombre, std::chrono::milliseconds delai = 3s) {
        std::string recu;
        const auto fin = std::chrono::steady_clock::now() + delai;
        while (recu.size() < nombre) {
            const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(
                fin - std::chrono::steady_clock::now());
            if (reste.count() <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(reste.count())) <= 0) continue;
            char octets[4096];
            const ssize_t n = read(fd_, octets, std::min(sizeof octets, nombre - recu.size()));
            if (n > 0) {
                recu.append(octets, static_cast<size_t>(n));
                ++lectures;
            }
        }
        return recu;
    }
    std::string LirePendant(std::chrono::milliseconds duree) { return Lire(SIZE_MAX, duree); }

    int lectures = 0;

  private:
    std::string nom_;
    int fd_ = -1;
};

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
    EXPECT_EQ(port.LirePendant(200ms), "") << "a write gets no reply";
    EXPECT_EQ(sim.EcrituresRecues(), 1);
    EXPECT_EQ(sim.Constantes(), nouvelles);

    // Among stray bytes and after a doubled start byte.
    port.Ecrire(std::string("\x01\x02\xFF\xFF\x40\x33", 6));
    EXPECT_EQ(port.Lire(11), TrameIdentification(nouvelles));
    EXPECT_EQ(port.LirePendant(100ms), "");
    EXPECT_EQ(sim.DemandesIdentification(), 2);
    EXPECT_EQ(sim.IdentificationsEnvoyees(), 2);
}

TEST(Port, ServesEveryOpeningAndForgetsAHalfRequest) {
    TPhotometreSimule sim(Essai("SIMO"));
    sim.Demarrer();
    EXPECT_FALSE(sim.PortOuvert());
    CoteProgramme port("SIMO");
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(sim.AttendrePortOuvert(true, 2s));
        port.Ecrire(FF40);
        EXPECT_EQ(port.Lire(11), TrameIdentification(Identification{}));
        // A start byte left alone must not pair with the next opening's bytes.
        port.Ecrire("\xFF");
        port.Fermer();
        ASSERT_TRUE(sim.AttendrePortOuvert(false, 2s));
        port.Ouvrir();
        port.Ecrire("\x40");
        EXPECT_EQ(port.LirePendant(150ms), "");
    }
    EXPECT_EQ(sim.Ouvertures(), 4);
}

TEST(Port, NothingIsSentWhileClosedAndNothingStaleOnReopening) {
    Reglages r = Essai("SIMF", 100);
    r.silence = 400ms;
    TPhotometreSimule sim(r);
    sim.Demarrer();
    CoteProgramme port("SIMF");
    ASSERT_TRUE(sim.AttendreMesures(5, 3s));
    // Left unread when the port closes, as after a program that stops reading.
    port.Fermer();
    ASSERT_TRUE(sim.AttendrePortOuvert(false, 2s));
    const int envoyees = sim.MesuresEnvoyees();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(sim.MesuresEnvoyees(), envoyees);

    // Asked for while closed: kept for the opening, not written into the line.
    sim.EnvoyerMesure(Mode::Simple, 1, 2, 3);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sim.MesuresEnvoyees(), envoyees);
    port.Ouvrir();
    // Only the frame asked for: automatic ones hold off after the opening.
    EXPECT_EQ(port.LirePendant(250ms), TrameMesure(Mode::Simple, {1, 2, 3}));
    // Then they start again.
    EXPECT_EQ(port.Lire(16).size(), 16u);
}

TEST(Mesures, ArriveInTheChosenModeAtAboutTheRate) {
    Reglages r = Essai("SIMM", 20);
    r.mode = Mode::Continu;
    TPhotometreSimule sim(r);
    sim.Demarrer();
    CoteProgramme port("SIMM");
    const auto trames = Trames(port.LirePendant(1s));
    EXPECT_GE(trames.size(), 10u);
    EXPECT_LE(trames.size(), 30u);
    for (const std::string& t : trames) {
        ASSERT_EQ(t.substr(0, 2), "\xFF\xF0");
        EXPECT_LE(Mot(t, 2), 1022);
        EXPECT_LE(Mot(t, 4), 1022);
        EXPECT_NEAR(Mot(t, 6), 780, 20);
    }

    sim.DefinirMode(Mode::Simple);
    EXPECT_EQ(sim.ModeCourant(), Mode::Simple);
    std::this_thread::sleep_for(100ms);
    port.LirePendant(100ms);
    // Frames come whole, so reads stay aligned on them.
    for (const std::string& t : Trames(port.Lire(24))) EXPECT_EQ(t.substr(0, 2), "\xFF\xA0");

    sim.DefinirCadence(0);
    port.LirePendant(100ms);
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
    std::vector<int> numeros;
    std::vector<Comptes> dites;
    r.mesureEcrite = [&](int numero, Mode mode, const Comptes& c, auto) {
        std::lock_guard l(m);
        if (mode != Mode::Continu) return;
        numeros.push_back(numero);
        dites.push_back(c);
    };
    TPhotometreSimule sim(r);
    sim.Demarrer();
    CoteProgramme port("SIML");
    std::string flux = port.LirePendant(500ms);
    sim.DefinirCadence(0);
    flux += port.LirePendant(200ms);

    const auto trames = Trames(flux);
    ASSERT_EQ(flux.size() % 8, 0u);
    // Many batches in half a second, each of them whole.
    EXPECT_GE(trames.size(), 10u * 200);
    EXPECT_EQ(trames.size() % 200, 0u);
    for (size_t i = 0; i < trames.size(); ++i)
        ASSERT_EQ(trames[i], TrameMesure(Mode::Continu, r.comptes[i % 3])) << i;
    ASSERT_EQ(sim.MesuresEnvoyees(), static_cast<int>(trames.size()));
    EXPECT_EQ(sim.DerniereMesure(), r.comptes[(trames.size() - 1) % 3]);
    std::lock_guard l(m);
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
    ASSERT_TRUE(sim.AttendrePortOuvert(true, 2s));
    std::this_thread::sleep_for(500ms);
    EXPECT_GT(sim.MesuresSautees(), 0) << "the terminal is full long before 10000 frames";
    sim.DefinirCadence(0);
    const auto trames = Trames(port.LirePendant(500ms));
    EXPECT_EQ(static_cast<int>(trames.size()), sim.MesuresEnvoyees())
        << "skipped frames are not counted as sent";
}

TEST(Perturbations, GarbageAndSplitFramesStillReachTheFramer) {
    Reglages r = Essai("SIMP");
    r.bruit = 6;
    r.decoupe = true;
    TPhotometreSimule sim(r);
    sim.Demarrer();

    // On the plain line: more bytes than the frames, in more pieces.
    {
        CoteProgramme brut("SIMP");
        for (int i = 0; i < 20; ++i) sim.EnvoyerMesure(Mode::Simple, 100, 200, 780);
        const std::string flux = brut.LirePendant(500ms);
        EXPECT_EQ(sim.MesuresEnvoyees(), 20);
        EXPECT_GT(flux.size(), 20u * 8);
        EXPECT_GT(brut.lectures, 30);
        EXPECT_EQ(std::count(flux.begin(), flux.end(), '\xFF'), 20) << "stray start bytes";
        ASSERT_TRUE(sim.AttendrePortOuvert(true, 1s));
    }
    ASSERT_TRUE(sim.AttendrePortOuvert(false, 2s));

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
    EXPECT_TRUE(PumpUntil([&] { return paquets.size() >= attendus.size(); }));
    EXPECT_EQ(paquets, attendus);
    port.Close();
}

TEST(Repos, AnIdleSimulatorCostsNoCpu) {
    TPhotometreSimule sim(Essai("SIMR"));
    sim.Demarrer();
    double avant = CpuProcessus();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(CpuProcessus() - avant, 0.05) << "port closed";

    CoteProgramme port("SIMR");
    ASSERT_TRUE(sim.AttendrePortOuvert(true, 2s));
    avant = CpuProcessus();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(CpuProcessus() - avant, 0.05) << "port open, nothing to send";
}
