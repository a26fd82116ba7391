#include "recording/fichier_donnees.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/textfile.h"
#include "recording/lignes.h"

using namespace recording;

namespace {

struct Dossier {
    std::string chemin;
    Dossier() {
        char modele[] = "/tmp/solvenare-donnees-XXXXXX";
        chemin = mkdtemp(modele);
    }
    ~Dossier() { std::filesystem::remove_all(chemin); }
    std::string Fichier(const std::string& nom) const { return chemin + "/" + nom; }
};

std::string Lire(const std::string& chemin) {
    std::ifstream in(chemin, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The message of the input/output error that f raises, or "" when none.
template <typename F>
std::string Erreur(F f) {
    try {
        f();
    } catch (const EInOutError& e) {
        return e.Message();
    }
    return "";
}

const EnTete Lu{"lundi 3 mars - ", "7", "1,2", "1013", "45", "2,12", "0,31", "2,50", "0,16"};
// After a write into the photometer the labels hold what was typed.
const EnTete Tape{"lundi 3 mars - ", "7", "1,2", "1013", "45", "2,1", "0,31", "2,50", "0,16"};

const std::string Debut =
    "-- Date     : lundi 3 mars - \r\n"
    "-- Photom\xE8tre n\xB0"
    "7 Logiciel v1,2\r\n"
    "-- Pression : 1013 hPa\r\n"
    "-- Angle d'\xE9l\xE9vation solaire : 45";
const std::string Colonnes = "Mode;Heure;VVert;EOVert;VRouge;EORouge;Temp\xE9rature\r\n";
const std::string BlocA = Debut + " deg\r\nETALONNAGE\r\n" +
                          "-- V0Vert  = 2,12V VnVert  = 0,31V\r\n"
                          "-- V0Rouge = 2,50V VnRouge = 0,16V\r\n" +
                          Colonnes;
const std::string BlocB = Debut + "deg\r\nETALONNAGE\r\n" +
                          "-- V0Vert = 2,1V-- VnVert = 0,31V\r\n"
                          "-- V0Rouge= 2,50V-- VnRouge= 0,16V\r\n" +
                          Colonnes;

}  // namespace

TEST(FichierDonnees, SeriesFollowOneAnotherByteExactly) {
    Dossier d;
    const std::string nom = d.Fichier("serie.txt");
    TFichierDonnees f;
    f.CreerOuSonder(nom);
    EXPECT_EQ(Lire(nom), "SOLVENARE\r\n");
    f.CreerOuSonder(nom);  // chosen again: nothing added
    EXPECT_FALSE(f.Ouvert());
    f.EcrireEnTeteA(nom, LignesEnTeteA(Lu));
    f.AjouterLigne(
        LigneEnregistrement(ModeSimple, "09:05:07  ", "1,250", "0,66", "0,100", "------", "68"));
    // A second validation while the file is open loses nothing.
    f.EcrireEnTeteA(nom, LignesEnTeteA(Lu));
    f.AjouterLigne(LigneEnregistrement(ModeContinu, "09:06:00  ", "0", "0", "---", "---", "-1"));
    EXPECT_TRUE(f.EcrireEnTeteB(nom, LignesEnTeteB(Tape)));
    EXPECT_TRUE(f.Ouvert());
    f.Fermer();
    EXPECT_FALSE(f.Ouvert());

    EXPECT_EQ(Lire(nom), "SOLVENARE\r\n" + BlocA +
                             "Simple;09:05:07  ;1,250;0,66;0,100;------;68\r\n" + BlocA +
                             "Continu;09:06:00  ;0;0;---;---;-1\r\n" + BlocB);
    for (const auto& ligne : ReadTextLines(nom)) EXPECT_NE(ligne.back(), ';') << ligne;

    // A file the program did not make, whatever it holds, is only appended to.
    const std::string ancien = "autre chose\nsans fin de ligne \xE9";
    std::ofstream(nom, std::ios::binary) << ancien;
    f.CreerOuSonder(nom);
    f.EcrireEnTeteA(nom, LignesEnTeteA(Lu));
    EXPECT_EQ(Lire(nom), ancien + BlocA);
}

TEST(FichierDonnees, ARecordLineIsInTheFileEvenIfTheProgramDiesAtOnce) {
    Dossier d;
    const std::string nom = d.Fichier("crash.txt");
    const pid_t enfant = fork();
    ASSERT_GE(enfant, 0);
    if (enfant == 0) {
        TFichierDonnees f;
        f.CreerOuSonder(nom);
        f.EcrireEnTeteA(nom, {"ETALONNAGE"});
        f.AjouterLigne("Simple;12:00:00  ;1,000;0,66;1,000;0,74;20");
        kill(getpid(), SIGKILL);
    }
    int etat = 0;
    waitpid(enfant, &etat, 0);
    ASSERT_TRUE(WIFSIGNALED(etat));
    EXPECT_EQ(Lire(nom),
              "SOLVENARE\r\nETALONNAGE\r\nSimple;12:00:00  ;1,000;0,66;1,000;0,74;20\r\n");
}

TEST(FichierDonnees, FailuresAreReportedAtOnce) {
    Dossier d;
    const std::string dossier = d.Fichier("dossier");
    mkdir(dossier.c_str(), 0777);
    const std::string absent = d.Fichier("absent/mesures.txt");
    const auto enTete = LignesEnTeteA(Lu);
    TFichierDonnees f;

    // Each names the file it failed on and gives the cause.
    const std::string introuvable = "Fichier introuvable\n" + FileErrorDetail(absent, ENOENT);
    const std::string estUnDossier = "Erreur E/S 21\n" + FileErrorDetail(dossier, EISDIR);
    const std::string plein = "Erreur E/S 28\n" + FileErrorDetail("/dev/full", ENOSPC);
    EXPECT_EQ(Erreur([&] { f.CreerOuSonder(absent); }), introuvable);
    EXPECT_EQ(Erreur([&] { f.EcrireEnTeteA(absent, enTete); }), introuvable);
    EXPECT_EQ(Erreur([&] { f.CreerOuSonder(dossier); }), estUnDossier);
    EXPECT_EQ(Erreur([&] { f.EcrireEnTeteA(dossier, enTete); }), estUnDossier);
    EXPECT_EQ(Erreur([&] { f.EcrireEnTeteA("/dev/full", enTete); }), plein);
    EXPECT_FALSE(f.Ouvert());
    EXPECT_EQ(Erreur([&] { f.AjouterLigne("Simple;x"); }), plein);
    // No file was ever named: nothing to name.
    EXPECT_EQ(Erreur([] { TFichierDonnees().AjouterLigne("Simple;x"); }), "Fichier introuvable");
    // Header B is not attempted on a file that is not there.
    EXPECT_FALSE(f.EcrireEnTeteB(absent, enTete));
    EXPECT_FALSE(f.EcrireEnTeteB(dossier, enTete));

    // A file removed under the program is reported, not silently made anew.
    const std::string nom = d.Fichier("efface.txt");
    f.CreerOuSonder(nom);
    f.EcrireEnTeteA(nom, enTete);
    unlink(nom.c_str());
    EXPECT_EQ(Erreur([&] { f.AjouterLigne("Simple;x"); }),
              "Fichier introuvable\n" + FileErrorDetail(nom, ENOENT));
    EXPECT_FALSE(f.EcrireEnTeteB(nom, LignesEnTeteB(Lu)));
    EXPECT_FALSE(FileExists(nom));
}

TEST(FichierDonnees, AFailedWriteLeavesNoPartOfItsLine) {
    Dossier d;
    const std::string nom = d.Fichier("plein.txt");
    TFichierDonnees f;
    f.CreerOuSonder(nom);
    f.AjouterLigne("Simple;1");

    // A size limit a few bytes past the end cuts the next line short.
    signal(SIGXFSZ, SIG_IGN);
    rlimit avant{};
    getrlimit(RLIMIT_FSIZE, &avant);
    rlimit limite = avant;
    limite.rlim_cur = Lire(nom).size() + 5;
    setrlimit(RLIMIT_FSIZE, &limite);
    const std::string erreur = Erreur([&] { f.AjouterLigne("Simple;2 est trop longue"); });
    setrlimit(RLIMIT_FSIZE, &avant);
    signal(SIGXFSZ, SIG_DFL);

    EXPECT_EQ(erreur, "Erreur E/S 27\n" + FileErrorDetail(nom, EFBIG));
    EXPECT_FALSE(f.Ouvert());
    f.AjouterLigne("Simple;3");
    EXPECT_EQ(Lire(nom), "SOLVENARE\r\nSimple;1\r\nSimple;3\r\n");
}

TEST(FichierDonnees, AFileThatCannotBeChosenLeavesTheLinesGoingWhereTheyWent) {
    Dossier d;
    const std::string nom = d.Fichier("serie.txt");
    TFichierDonnees f;
    f.CreerOuSonder(nom);
    f.EcrireEnTeteA(nom, {"ETALONNAGE"});
    EXPECT_EQ(Erreur([&] { f.CreerOuSonder(d.Fichier("absent/autre.txt")); }),
              "Fichier introuvable\n" + FileErrorDetail(d.Fichier("absent/autre.txt"), ENOENT))
        << "the file refused is named, not the one still in use";
    f.AjouterLigne("Simple;x");
    EXPECT_EQ(f.Nom(), nom);
    EXPECT_EQ(Lire(nom), "SOLVENARE\r\nETALONNAGE\r\nSimple;x\r\n");
}
