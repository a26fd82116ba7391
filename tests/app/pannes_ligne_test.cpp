// Faults of the line to the photometer: the instrument's end disappears while
// measuring or during the link check, and the port cannot be opened.
#include <linux/capability.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include "tests/app/pannes_fixture.h"
#include "tests/support/pty_pair.h"

using toolkit::TLabel;
using toolkit::TSaveDialog;

namespace {

using namespace std::chrono_literals;
using simulateur::Mode;

// What the serial layer says when the device is gone (EIO).
const std::string LignePerdue = "ReadFile function failed (win error code: 5)";

class PannesLigneTest : public PannesTest {
  protected:
    static simulateur::Reglages Reglages() { return ReglagesSimulateur("SIMPANNE"); }

    // The line is gone: told once, and nothing spins while the window waits.
    void VerifierPerteSignaleeUneFois() {
        ASSERT_TRUE(Attendre([&] { return !erreurs_.empty(); })) << "the loss is shown";
        const double part = PartProcesseur(1s);
        EXPECT_LT(part, 0.1) << "a thread spinning on the dead device would use a whole core";
        EXPECT_EQ(erreurs_, std::vector<std::string>{LignePerdue});
    }

    // After the loss the port is closed, and the window says so: no stop
    // button, no measurement shown as if it were current.
    static void VerifierPortFermeEtValeursPerimees(TF_Fond& f) {
        EXPECT_FALSE(f.ComPort->Connected());
        EXPECT_FALSE(f.IM_Arreter->Visible());
        EXPECT_TRUE(f.IM_Demarrer->Visible());
        EXPECT_EQ(Courantes(f), (std::vector<std::string>{"------", "------", "------", "------",
                                                          "----", "0", "0"}));
    }
    static std::vector<std::string> Courantes(TF_Fond& f) {
        std::vector<std::string> v;
        for (TLabel* l : {f.LVVert, f.LEOVert, f.LVRouge, f.LEORouge, f.LTemperature})
            v.push_back(l->Caption());
        v.push_back(std::to_string(f.G_Vert->Progress()));
        v.push_back(std::to_string(f.G_Rouge->Progress()));
        return v;
    }
};

}  // namespace

TEST_F(PannesLigneTest, LineLostInSingleModeIsShownOnceClosesThePortAndStartResumes) {
    simulateur::TPhotometreSimule photometre(Reglages());
    photometre.Demarrer();
    TF_Fond& f = Ouvrir(photometre.Nom());
    CliquerBouton(f);  // DEMARRER
    ASSERT_TRUE(photometre.AttendrePortOuvert(true, 5s));
    photometre.EnvoyerMesure(Mode::Simple, 400, 300, 780);
    photometre.EnvoyerMesure(Mode::Simple, 512, 256, 700);
    photometre.EnvoyerMesure(Mode::Simple, 1023, 2, 512);
    ASSERT_TRUE(Attendre([&] { return Enregistrements().size() == 3; }));
    const std::string avant = Lire(f.NomFichier);

    photometre.Arreter();
    VerifierPerteSignaleeUneFois();
    EXPECT_EQ(Lire(f.NomFichier), avant) << "every line recorded before is there";
    VerifierPortFermeEtValeursPerimees(f);
    EXPECT_EQ(f.Etat, EtatSimple);

    // The instrument is back under the same name: DEMARRER, as the panel shows.
    photometre.Demarrer();
    CliquerBouton(f);
    EXPECT_TRUE(f.ComPort->Connected());
    EXPECT_TRUE(f.IM_Arreter->Visible());
    ASSERT_TRUE(photometre.AttendrePortOuvert(true, 5s));
    photometre.EnvoyerMesure(Mode::Simple, 200, 100, 780);
    ASSERT_TRUE(Attendre([&] { return Enregistrements().size() == 4; }));
    EXPECT_EQ(Tensions(), (std::vector<std::string>{Attendues(400, 300), Attendues(512, 256),
                                                    Attendues(1023, 2), Attendues(200, 100)}));
    EXPECT_EQ(Lire(f.NomFichier).rfind(avant, 0), 0u);
    EXPECT_EQ(f.LVVert->Caption(), "0,977");
    EXPECT_EQ(erreurs_.size(), 1u);
}

TEST_F(PannesLigneTest, LineLostInContinuousModeIsShownOnceAndTheMaximaCanStillBeRecorded) {
    simulateur::TPhotometreSimule photometre(Reglages());
    photometre.Demarrer();
    TF_Fond& f = Ouvrir(photometre.Nom());
    CliquerBouton(f);  // DEMARRER
    ASSERT_TRUE(photometre.AttendrePortOuvert(true, 5s));
    // The first continuous frame is still recorded as single.
    photometre.EnvoyerMesure(Mode::Continu, 410, 320, 780);
    photometre.EnvoyerMesure(Mode::Continu, 420, 310, 780);
    ASSERT_TRUE(Attendre([&] { return f.LVMaxVert->Caption() == "2,051"; }));
    CliquerBouton(f);  // ECRIRE
    photometre.EnvoyerMesure(Mode::Continu, 430, 200, 780);
    ASSERT_TRUE(Attendre([&] { return f.LVMaxVert->Caption() == "2,100"; }));
    const std::string avant = Lire(f.NomFichier);

    photometre.Arreter();
    VerifierPerteSignaleeUneFois();
    EXPECT_EQ(Lire(f.NomFichier), avant);
    EXPECT_EQ(f.Etat, EtatContinu);
    VerifierPortFermeEtValeursPerimees(f);
    EXPECT_TRUE(f.IM_Ecrire->Visible()) << "the maxima can still be recorded";
    EXPECT_EQ(f.LVMaxVert->Caption(), "2,100");

    // The maxima seen before the loss are still recorded.
    CliquerBouton(f);  // ECRIRE
    EXPECT_EQ(Tensions(), (std::vector<std::string>{Attendues(410, 320), Attendues(420, 310),
                                                    Attendues(430, 200)}));
    EXPECT_EQ(erreurs_.size(), 1u);

    // ECRIRE covers the start and stop buttons in continuous mode: the user
    // closes the panel and validates the calibration again, which begins a
    // new series. The panel opens on its start button, the port being
    // closed; start, stop and start again resume.
    photometre.Demarrer();
    f.IM_FINMesures->Click();
    f.IM_OKEtalonnages->Click();
    ASSERT_TRUE(f.P_ReceptionMesures->Visible());
    EXPECT_FALSE(f.IM_Arreter->Visible());
    CliquerBouton(f);  // DEMARRER
    EXPECT_TRUE(f.IM_Arreter->Visible());
    EXPECT_TRUE(f.ComPort->Connected());
    CliquerBouton(f);  // ARRETER
    EXPECT_FALSE(f.ComPort->Connected());
    CliquerBouton(f);  // DEMARRER
    ASSERT_TRUE(photometre.AttendrePortOuvert(true, 5s));
    photometre.EnvoyerMesure(Mode::Continu, 100, 100, 780);
    photometre.EnvoyerMesure(Mode::Continu, 150, 90, 780);
    ASSERT_TRUE(Attendre([&] { return f.LVMaxVert->Caption() == "0,732"; }));
    EXPECT_EQ(Tensions().back(), Attendues(100, 100));
    EXPECT_EQ(Lire(f.NomFichier).rfind(avant, 0), 0u);
    EXPECT_EQ(erreurs_.size(), 1u);
}

TEST_F(PannesLigneTest, LineLostDuringTheLinkCheckIsShownOnceAndAPortChoiceResumesIt) {
    simulateur::TPhotometreSimule photometre(Reglages());
    ports_ = {photometre.Nom()};
    TF_Fond& f = Demarrer();
    f.PM_PortSerie->Items(0)->Click();
    TSaveDialog::SetExecuteHook([this](const TSaveDialog&) { return dossier_ + "/mesures.txt"; });
    // The photometer is not there yet: the check waits, asking nobody.
    photometre.Demarrer();
    f.IM_Fichiers->Click();
    ASSERT_TRUE(photometre.AttendrePortOuvert(true, 5s));
    photometre.Arreter();
    VerifierPerteSignaleeUneFois();
    for (int tick = 0; tick < 20; ++tick) f.T_LiaisonSerie->Tick();
    Attendre([] { return false; }, 100ms);
    EXPECT_EQ(erreurs_, std::vector<std::string>{LignePerdue})
        << "not one box for every request the check would send";
    EXPECT_EQ(f.LOKPortSerie->Caption(), "en cours...");
    EXPECT_FALSE(f.LiaisonOK);
    EXPECT_FALSE(f.ComPort->Connected()) << "the port of a lost line is closed";

    // Back, and chosen again in the port menu: the check goes on with it.
    photometre.Demarrer();
    f.PM_PortSerie->Items(0)->Click();
    ASSERT_TRUE(Attendre([&] {
        f.T_LiaisonSerie->Tick();
        return f.LiaisonOK;
    }));
    EXPECT_EQ(f.LOKPortSerie->Caption(), "OK !");
    EXPECT_EQ(erreurs_.size(), 1u);
}

namespace {

// Another program holds the device, as a terminal program would: open,
// exclusive lock, exclusive terminal mode. Only async-signal-safe calls after
// the fork.
class AutreProgramme {
  public:
    explicit AutreProgramme(const std::string& chemin) {
        int pret[2], fin[2];
        if (pipe(pret) != 0 || pipe(fin) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            close(pret[0]);
            close(fin[1]);
            const int fd = open(chemin.c_str(), O_RDWR | O_NOCTTY);
            const bool tenu = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
            if (tenu) ioctl(fd, TIOCEXCL);
            char octet = tenu ? '1' : '0';
            [[maybe_unused]] ssize_t n = write(pret[1], &octet, 1);
            n = read(fin[0], &octet, 1);  // until the test lets go
            // As the last close of a real device would (the test keeps the
            // terminal open, so the mark would outlive this program).
            if (tenu) ioctl(fd, TIOCNXCL);
            _exit(0);
        }
        close(pret[1]);
        close(fin[0]);
        fin_ = fin[1];
        char octet = '0';
        tenu_ = read(pret[0], &octet, 1) == 1 && octet == '1';
        close(pret[0]);
    }
    ~AutreProgramme() { Quitter(); }
    bool Tenu() const { return tenu_; }
    void Quitter() {
        if (fin_ >= 0) close(fin_);
        fin_ = -1;
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int fin_ = -1;
    bool tenu_ = false;
};

// The main thread without the capabilities that let root past file modes,
// so that a mode of 000 stops it as it stops any user (the window opens the
// port on this thread). Nothing to drop for other users.
class SansDroitsDeRoot {
  public:
    SansDroitsDeRoot() {
        syscall(SYS_capget, &entete_, avant_);
        __user_cap_data_struct sans[2] = {avant_[0], avant_[1]};
        sans[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        syscall(SYS_capset, &entete_, sans);
    }
    ~SansDroitsDeRoot() { syscall(SYS_capset, &entete_, avant_); }
    SansDroitsDeRoot(const SansDroitsDeRoot&) = delete;
    SansDroitsDeRoot& operator=(const SansDroitsDeRoot&) = delete;

  private:
    __user_cap_header_struct entete_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct avant_[2] = {};
};

// What the user sees of the measurement, and the state behind it.
std::vector<std::string> Visible(TF_Fond& f) {
    std::vector<std::string> v;
    for (TLabel* l : {f.LVVert, f.LEOVert, f.LVRouge, f.LEORouge, f.LTemperature, f.LVMaxVert,
                      f.LVMaxRouge, f.L_ComPort})
        v.push_back(l->Caption());
    v.push_back(std::to_string(f.Etat));
    v.push_back(f.P_ReceptionMesures->Visible() ? "panneau" : "sans panneau");
    return v;
}

}  // namespace

TEST_F(PannesLigneTest, APortThatCannotBeOpenedIsShownOnceAndChangesNothing) {
    PtyPair photometre;
    const std::string dossier = dossier_ + "/pas-un-port";
    std::filesystem::create_directory(dossier);
    const std::string fichier = dossier_ + "/pas-un-port.txt";
    Ecrire(fichier, "ni un terminal ni un dossier\r\n");

    struct Cas {
        const char* quoi;
        std::string port;
        std::function<std::unique_ptr<void, void (*)(void*)>()> panne;
        std::string message;
    };
    // Each fault lasts as long as the object it returns.
    const auto sans = [] { return std::unique_ptr<void, void (*)(void*)>(nullptr, [](void*) {}); };
    const std::vector<Cas> cas = {
        {"held by another program", photometre.Path(),
         [&] {
             auto* autre = new AutreProgramme(photometre.Path());
             EXPECT_TRUE(autre->Tenu());
             return std::unique_ptr<void, void (*)(void*)>(
                 autre, [](void* a) { delete static_cast<AutreProgramme*>(a); });
         },
         "Unable to open com port (win error code: 16)"},
        {"no permission on the device", photometre.Path(),
         [&] {
             chmod(photometre.Path().c_str(), 0);
             return std::unique_ptr<void, void (*)(void*)>(
                 new SansDroitsDeRoot, [](void* s) { delete static_cast<SansDroitsDeRoot*>(s); });
         },
         "Unable to open com port (win error code: 13)"},
        {"a folder", dossier, sans, "Unable to open com port (win error code: 21)"},
        {"a plain file", fichier, sans, "SetCommState function failed (win error code: 25)"},
    };
    struct stat mode {};
    stat(photometre.Path().c_str(), &mode);
    int numero = 0;
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.quoi);
        erreurs_.clear();
        TF_Fond& f = Ouvrir(photometre.Path(), "mesures" + std::to_string(++numero) + ".txt");
        CliquerBouton(f);  // DEMARRER
        photometre.Send(simulateur::TrameMesure(Mode::Simple, {400, 300, 780}));
        ASSERT_TRUE(Attendre([&] { return Enregistrements().size() == 1; }));
        CliquerBouton(f);  // ARRETER
        f.ComPort->SetPort(c.port);
        const auto vu = Visible(f);
        const std::string octets = Lire(f.NomFichier);
        {
            const auto panne = c.panne();
            CliquerBouton(f);  // DEMARRER
            Attendre([] { return false; }, 200ms);
        }
        chmod(photometre.Path().c_str(), mode.st_mode & 07777);
        EXPECT_EQ(erreurs_, std::vector<std::string>{c.message});
        EXPECT_FALSE(f.ComPort->Connected());
        EXPECT_FALSE(f.IM_Arreter->Visible()) << "no stop button over a port that is not open";
        EXPECT_EQ(Visible(f), vu);
        EXPECT_EQ(Lire(f.NomFichier), octets);

        // Started again once the device is free.
        f.ComPort->SetPort(photometre.Path());
        CliquerBouton(f);  // DEMARRER
        ASSERT_TRUE(f.ComPort->Connected());
        photometre.Send(simulateur::TrameMesure(Mode::Simple, {500, 300, 780}));
        ASSERT_TRUE(Attendre([&] { return Enregistrements().size() == 2; }));
        EXPECT_EQ(erreurs_.size(), 1u);
        CliquerBouton(f);  // ARRETER
    }
}

TEST_F(PannesLigneTest, APortRefusedForPermissionAdvisesTheGroupAtOnce) {
    PtyPair photometre;
    ports_ = {photometre.Path()};
    TF_Fond& f = Demarrer();
    f.PM_PortSerie->Items(0)->Click();
    TSaveDialog::SetExecuteHook([this](const TSaveDialog&) { return dossier_ + "/mesures.txt"; });
    struct stat mode {};
    stat(photometre.Path().c_str(), &mode);
    chmod(photometre.Path().c_str(), 0);
    {
        SansDroitsDeRoot sans;
        f.IM_Fichiers->Click();
    }
    chmod(photometre.Path().c_str(), mode.st_mode & 07777);
    EXPECT_EQ(erreurs_, std::vector<std::string>{"Unable to open com port (win error code: 13)"});
    // Not « does it answer? »: no photometer answers through a refused port.
    const auto conseil = [&] {
        return f.L_ConseilLiaison->Visible() && f.L_ConseilLiaisonSuite->Visible()
                   ? f.L_ConseilLiaison->Caption() + " / " + f.L_ConseilLiaisonSuite->Caption()
                   : "";
    };
    const std::string groupe =
        "Port refusé : rejoignez le groupe dialout / (sudo adduser $USER dialout), "
        "reconnectez-vous.";
    EXPECT_EQ(conseil(), groupe) << "shown with the error, not a cycle later";
    for (int tick = 0; tick < 20; ++tick) f.T_LiaisonSerieTimer(nullptr);
    EXPECT_EQ(conseil(), groupe);

    // Allowed now, and chosen again: the port opens, and a silent photometer
    // gets the usual advice after its own cycle of requests.
    f.PM_PortSerie->Items(0)->Click();
    ASSERT_TRUE(f.ComPort->Connected());
    EXPECT_EQ(conseil(), "");
    for (int tick = 0; tick < 13; ++tick) f.T_LiaisonSerieTimer(nullptr);
    EXPECT_EQ(conseil(),
              "Le photomètre ne répond pas : est-il allumé ? / Vérifiez aussi le câble et le port "
              "série choisi.");
    EXPECT_EQ(erreurs_.size(), 1u);
}
