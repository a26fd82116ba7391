// The command line at its edges: what it refuses to write over, write
// errors, inputs that are not files, an export killed half-way, and the
// memory a large file costs. The real program, on real files.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "platform/textfile.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"
#include "tests/support/sanitiseurs.h"

namespace {

struct Issue {
    int code = -1;
    std::string sortie, erreurs;
    long memoireKo = 0;  // the child's peak resident memory
};

// Runs the program in the folder with these arguments, standard output to
// the file named (or to sortie.txt), and waits for it.
Issue Executer(const Dossier& d, const std::vector<std::string>& arguments,
               const std::string& sortie = "sortie.txt") {
    const pid_t enfant = fork();
    if (enfant == 0) {
        if (chdir(d.chemin.c_str()) != 0) _exit(120);
        const int out = open(sortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open("erreurs.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(121);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv = {const_cast<char*>(SOLVENARE_JOURNEE)};
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        // The French system texts are what the messages are checked against.
        setenv("LANG", "C", 1);
        unsetenv("LANGUAGE");
        unsetenv("DISPLAY");
        execv(SOLVENARE_JOURNEE, argv.data());
        _exit(122);
    }
    Issue r;
    int statut = 0;
    rusage usage{};
    wait4(enfant, &statut, 0, &usage);
    r.code = WIFEXITED(statut) ? WEXITSTATUS(statut) : 128 + WTERMSIG(statut);
    r.memoireKo = usage.ru_maxrss;
    if (sortie == "sortie.txt") r.sortie = LireOctets(d.Fichier("sortie.txt"));
    r.erreurs = LireOctets(d.Fichier("erreurs.txt"));
    return r;
}

// A sh command line run in the folder, $J being the program.
Issue Shell(const Dossier& d, const std::string& commande) {
    const std::string ligne = "cd '" + d.chemin +
                              "' && J='" SOLVENARE_JOURNEE "' LANG=C DISPLAY= bash -c '" +
                              commande + "' >sortie.txt 2>erreurs.txt";
    const int statut = std::system(ligne.c_str());
    Issue r;
    r.code = WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
    r.sortie = LireOctets(d.Fichier("sortie.txt"));
    r.erreurs = LireOctets(d.Fichier("erreurs.txt"));
    return r;
}

const std::vector<std::string> SiteDenver = {
    "--site", "39.742476,-105.1786,1830", "--fuseau", "UTC-7", "--annee", "2003"};

std::vector<std::string> Avec(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Series of a whole day each, one record a second: about 44 bytes a record.
void EcrireGrandFichier(const std::string& chemin, int series) {
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    std::fputs("SOLVENARE\r\n", f);
    for (int s = 0; s < series; ++s) {
        for (const auto& l : EnTeteMatineeClaire())
            std::fprintf(f, "%s\r\n", Utf8ToWindows1252(l).c_str());
        for (int t = 0; t < 86400; ++t)
            std::fprintf(f, "Simple;%02d:%02d:%02d  ;1,%03d;0,20;1,456;0,10;21\r\n", t / 3600,
                         t / 60 % 60, t % 60, t % 1000);
    }
    std::fclose(f);
}

constexpr int SeriesGrandFichier = Sanitiseurs ? 1 : 3;

const std::string& GrandFichier() {
    static Dossier dossier;
    static const std::string chemin = [] {
        const std::string c = dossier.Fichier("grand.txt");
        EcrireGrandFichier(c, SeriesGrandFichier);
        return c;
    }();
    return chemin;
}

TEST(Sorties, TheDataFileAndTheProgramsFilesAreNeverWrittenOver) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("matin.txt"), 2.12, 2.05);
    EcrireMatineeClaire(d.Fichier("veille.txt"), 2.10, 2.00);
    std::filesystem::create_directory(d.Fichier("sous"));
    ASSERT_EQ(symlink("matin.txt", d.Fichier("lien.txt").c_str()), 0);
    ASSERT_EQ(link(d.Fichier("matin.txt").c_str(), d.Fichier("dur.txt").c_str()), 0);
    std::ofstream(d.Fichier("Parametres.txt")) << "réglages";
    const std::string dossier = std::filesystem::path(d.chemin).filename();
    const std::string matin = LireOctets(d.Fichier("matin.txt"));
    const std::string veille = LireOctets(d.Fichier("veille.txt"));
    const std::string parametres = LireOctets(d.Fichier("Parametres.txt"));

    const struct {
        std::string cible, raison;
    } cas[] = {
        {"matin.txt", "est le fichier de mesures lu"},
        {"./matin.txt", "est le fichier de mesures lu"},
        {"sous/../matin.txt", "est le fichier de mesures lu"},
        {"../" + dossier + "/matin.txt", "est le fichier de mesures lu"},
        {d.Fichier("matin.txt"), "est le fichier de mesures lu"},
        {"lien.txt", "est le fichier de mesures lu"},
        {"dur.txt", "est le fichier de mesures lu"},
        {"Parametres.txt", "est le fichier Parametres.txt du programme"},
        {"SitesWeb.txt", "est le fichier SitesWeb.txt du programme"},  // even when missing
        {"sous/../Site.txt", "est le fichier Site.txt du programme"},
        {"veille.txt", "est un fichier de mesures"},
    };
    for (const auto& c : cas) {
        // Refused before anything else is looked at: no site is given.
        const Issue r = Executer(d, {"matin.txt", "--csv", c.cible});
        EXPECT_EQ(r.code, 2) << c.cible << "\n" << r.erreurs;
        EXPECT_EQ(r.erreurs, "solvenare-journee : --csv : « " + c.cible + " » " + c.raison +
                                 " : il ne sera pas écrasé\n")
            << c.cible;
    }
    EXPECT_EQ(LireOctets(d.Fichier("matin.txt")), matin);
    EXPECT_EQ(LireOctets(d.Fichier("veille.txt")), veille);
    EXPECT_EQ(LireOctets(d.Fichier("Parametres.txt")), parametres);
    EXPECT_FALSE(std::filesystem::exists(d.Fichier("SitesWeb.txt")));
    EXPECT_FALSE(std::filesystem::exists(d.Fichier("Site.txt")));
    EXPECT_TRUE(std::filesystem::is_symlink(d.Fichier("lien.txt")));

    // A CSV already there is replaced, through its link too.
    std::ofstream(d.Fichier("ancien.csv")) << "ancien";
    ASSERT_EQ(symlink("ancien.csv", d.Fichier("vers.csv").c_str()), 0);
    const Issue r = Executer(d, Avec({"matin.txt", "--csv", "vers.csv"}, SiteDenver));
    EXPECT_EQ(r.code, 0) << r.erreurs;
    EXPECT_EQ(LireOctets(d.Fichier("ancien.csv")).rfind("utc,heure_locale,", 0), 0u);
    EXPECT_TRUE(std::filesystem::is_symlink(d.Fichier("vers.csv")));
}

TEST(Sorties, AFailedWriteIsAFailureAndAReaderThatStopsIsNot) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("matin.txt"), 2.12, 2.05);
    const std::string plein = "Aucun espace disponible sur le périphérique\n";
    const struct {
        std::vector<std::string> arguments;
        std::string sortie;
        int code;
        std::string erreurs;
    } cas[] = {
        {{"--csv", "-"},
         "/dev/full",
         1,
         "solvenare-journee : Impossible d'écrire sur la sortie standard : " + plein},
        {{"--resume"},
         "/dev/full",
         1,
         "solvenare-journee : Impossible d'écrire sur la sortie standard : " + plein},
        {{"--langley", "08:30-11:30"},
         "/dev/full",
         1,
         "solvenare-journee : Impossible d'écrire sur la sortie standard : " + plein},
        {{"--csv", "/dev/full"},
         "sortie.txt",
         1,
         "solvenare-journee : Impossible d'écrire « /dev/full » : " + plein},
        {{"--aide"},
         "/dev/full",
         1,
         "solvenare-journee : Impossible d'écrire sur la sortie standard : " + plein},
        {{"--csv", "/dev/null"}, "sortie.txt", 0, ""},
        {{"--csv", "absent/x.csv"},
         "sortie.txt",
         1,
         "solvenare-journee : Impossible d'écrire « absent/x.csv » : Fichier introuvable\n"},
        {{"--csv", "."},
         "sortie.txt",
         1,
         "solvenare-journee : Impossible d'écrire « . » : est un dossier\n"},
    };
    for (const auto& c : cas) {
        const Issue r = Executer(d,
                                 Avec(Avec({"matin.txt"}, c.arguments),
                                      {"--site", "45.764,4.8357,170", "--fuseau", "UTC+1"}),
                                 c.sortie);
        EXPECT_EQ(r.code, c.code) << c.arguments[0] << " " << c.arguments.back();
        EXPECT_NE(r.erreurs.find(c.erreurs), std::string::npos) << c.arguments.back() << "\n"
                                                                << r.erreurs;
    }
    struct stat st {};
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));

    // Standard output closed before the start.
    const Issue fermee = Shell(d,
                               "\"$J\" matin.txt --site 45.764,4.8357,170 --fuseau UTC+1 "
                               "--resume >&-");
    EXPECT_EQ(fermee.code, 1);
    EXPECT_EQ(fermee.erreurs,
              "solvenare-journee : Impossible d'écrire sur la sortie standard : "
              "Mauvais descripteur de fichier\n");

    // head reads a line and goes: a large export stops quietly, exit 0.
    std::filesystem::copy_file(GrandFichier(), d.Fichier("grand.txt"));
    const Issue tete =
        Shell(d,
              "\"$J\" grand.txt --site 45.764,4.8357,170 --fuseau UTC+1 --csv - | head -n 1; "
              "exit ${PIPESTATUS[0]}");
    EXPECT_EQ(tete.code, 0) << tete.erreurs;
    EXPECT_EQ(tete.erreurs, "");
    EXPECT_EQ(tete.sortie.rfind("utc,heure_locale", 0), 0u);
}

TEST(Sorties, WhatIsNotADataFileIsRefusedWithoutWaiting) {
    Dossier d;
    ASSERT_EQ(mkfifo(d.Fichier("tube").c_str(), 0600), 0);
    std::filesystem::create_directory(d.Fichier("dossier"));
    const struct {
        std::string fichier, erreur;
    } cas[] = {
        {"tube", "« tube » : ce n'est pas un fichier ordinaire (tube, périphérique…)"},
        {"/dev/zero", "« /dev/zero » : ce n'est pas un fichier ordinaire (tube, périphérique…)"},
        {"dossier", "« dossier » : c'est un dossier"},
        {"absent.txt", "« absent.txt » : Fichier introuvable"},
    };
    for (const auto& c : cas)
        for (const auto& option : {"--resume", "--csv"}) {
            // A hang would be killed by timeout (exit 124).
            const Issue r = Shell(d, "timeout 20 \"$J\" " + c.fichier + " " + option +
                                         (std::string(option) == "--csv" ? " x.csv" : ""));
            EXPECT_EQ(r.code, 1) << c.fichier << " " << option;
            EXPECT_EQ(r.erreurs, "solvenare-journee : Impossible de lire " + c.erreur + "\n")
                << c.fichier << " " << option;
            EXPECT_FALSE(std::filesystem::exists(d.Fichier("x.csv")));
        }
}

TEST(Sorties, AnExportKilledHalfWayLeavesTheOldFileWhole) {
    Dossier d;
    std::filesystem::copy_file(GrandFichier(), d.Fichier("grand.txt"));
    const std::string ancien = "utc,ancien export\r\n";
    // SIGKILL cannot be caught: its hidden file stays. The others clean up.
    for (const auto& [signal, resteCache] :
         {std::pair{SIGKILL, true}, {SIGTERM, false}, {SIGINT, false}}) {
        std::ofstream(d.Fichier("export.csv")) << ancien;
        const pid_t enfant = fork();
        if (enfant == 0) {
            if (chdir(d.chemin.c_str()) != 0) _exit(120);
            execl(SOLVENARE_JOURNEE, SOLVENARE_JOURNEE, "grand.txt", "--site", "45.764,4.8357,170",
                  "--fuseau", "UTC+1", "--csv", "export.csv", static_cast<char*>(nullptr));
            _exit(122);
        }
        // Killed once its temporary file holds a good part of the rows.
        std::string temporaire;
        for (int essai = 0; essai < 2000 && temporaire.empty(); ++essai) {
            for (const auto& e : std::filesystem::directory_iterator(d.chemin))
                if (e.path().filename().string().starts_with(".export.csv.") &&
                    e.file_size() > 1000000)
                    temporaire = e.path();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill(enfant, signal);
        int statut = 0;
        waitpid(enfant, &statut, 0);
        ASSERT_FALSE(temporaire.empty()) << "the export never began";
        ASSERT_TRUE(WIFSIGNALED(statut)) << "the export ended before it was killed";
        EXPECT_EQ(WTERMSIG(statut), signal);
        EXPECT_EQ(LireOctets(d.Fichier("export.csv")), ancien) << signal;
        EXPECT_EQ(std::filesystem::exists(temporaire), resteCache) << signal;
        std::filesystem::remove(temporaire);
        // The rows that waited for the screening had no name to leave.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.chemin),
                                std::filesystem::directory_iterator()),
                  2)
            << signal;
    }

    // Run again to its end, it replaces the file whole.
    const Issue r = Executer(d, {"grand.txt", "--site", "45.764,4.8357,170", "--fuseau", "UTC+1",
                                 "--csv", "export.csv"});
    ASSERT_EQ(r.code, 0) << r.erreurs;
    const std::string nouveau = LireOctets(d.Fichier("export.csv"));
    EXPECT_EQ(std::count(nouveau.begin(), nouveau.end(), '\n'), 1 + SeriesGrandFichier * 86400);
}

// The rows wait for the screening in a file without a name: beside the
// export, or in $TMPDIR for standard output and devices. A folder that
// cannot take it is said; none keeps anything.
TEST(Sorties, TheRowsWaitingForTheScreeningLeaveNothingBehind) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("matin.txt"), 2.12, 2.05);
    std::filesystem::create_directory(d.Fichier("tmp"));
    const std::string lancer = "\"$J\" matin.txt --site 45.764,4.8357,170 --fuseau UTC+1 ";
    const Issue fichier = Shell(d, "TMPDIR=absent " + lancer + "--csv x.csv");
    ASSERT_EQ(fichier.code, 0) << fichier.erreurs;
    const std::string attendu = LireOctets(d.Fichier("x.csv"));
    const std::string manque =
        "solvenare-journee : Impossible d'écrire un fichier temporaire dans « absent » : "
        "Fichier introuvable\n";
    const struct {
        std::string commande;
        int code;
        std::string sortie, erreurs;
    } cas[] = {
        {"TMPDIR=tmp " + lancer + "--csv -", 0, attendu, ""},
        {"TMPDIR= " + lancer + "--csv -", 0, attendu, ""},
        {"TMPDIR=absent " + lancer + "--csv -", 1, "", manque},
        {"TMPDIR=absent " + lancer + "--csv /dev/null", 1, "", manque},
    };
    for (const auto& c : cas) {
        const Issue r = Shell(d, c.commande);
        EXPECT_EQ(r.code, c.code) << c.commande;
        EXPECT_EQ(r.sortie, c.sortie) << c.commande;
        EXPECT_EQ(r.erreurs, c.erreurs) << c.commande;
        EXPECT_TRUE(std::filesystem::is_empty(d.Fichier("tmp"))) << c.commande;
    }
    std::vector<std::string> restes;
    for (const auto& e : std::filesystem::directory_iterator(d.chemin))
        restes.push_back(e.path().filename());
    std::sort(restes.begin(), restes.end());
    EXPECT_EQ(restes,
              (std::vector<std::string>{"erreurs.txt", "matin.txt", "sortie.txt", "tmp", "x.csv"}));
}

TEST(Sorties, MemoryDoesNotGrowWithTheFile) {
    if (Sanitiseurs) GTEST_SKIP() << "the sanitizers' memory hides the program's";
    // About 12 MB against a few lines: read whole, the large one took some
    // 14 times its size more than the small one (the bench reads 1 GB).
    Dossier d;
    EcrireMatineeClaire(d.Fichier("petit.txt"), 2.12, 2.05);
    const std::vector<std::string> site = {"--site", "45.764,4.8357,170", "--fuseau",
                                           "UTC+1",  "--annee",           "2026"};
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--csv", d.Fichier("sortie.csv"), "--langley", "08:30-11:30"}, {"--resume"}}) {
        const Issue petit = Executer(d, Avec(Avec({"petit.txt"}, arguments), site));
        const Issue grand = Executer(d, Avec(Avec({GrandFichier()}, arguments), site));
        ASSERT_EQ(petit.code, 0) << petit.erreurs;
        ASSERT_EQ(grand.code, 0) << grand.erreurs;
        EXPECT_LT(grand.memoireKo - petit.memoireKo, 16 * 1024)
            << arguments[0] << ": " << petit.memoireKo << " KB then " << grand.memoireKo << " KB";
    }
}

TEST(Sorties, SummaryInFrenchWithOrWithoutASite) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("lyon.txt"), 2.12, 2.05);
    // The missing file is the first thing said, before the missing site.
    const Issue absent = Executer(d, {"absent.txt", "--resume"});
    EXPECT_EQ(absent.code, 1);
    EXPECT_EQ(absent.erreurs,
              "solvenare-journee : Impossible de lire « absent.txt » : Fichier introuvable\n");

    // No site: the summary without the sun, and why.
    const Issue sans = Executer(d, {"lyon.txt", "--resume", "--annee", "2026"});
    EXPECT_EQ(sans.code, 0) << sans.erreurs;
    EXPECT_NE(sans.sortie.find("Site : aucun (Fichier du site « Site.txt » illisible : Fichier "
                               "introuvable) ; la hauteur du soleil n'est pas calculée"),
              std::string::npos)
        << sans.sortie;
    EXPECT_NE(sans.sortie.find("441 enregistrement(s), de 08:20:00 à 12:00:00\n"),
              std::string::npos)
        << sans.sortie;
    EXPECT_EQ(sans.sortie.find("soleil de"), std::string::npos);
    // The figures that need a site still need one.
    const Issue csv = Executer(d, {"lyon.txt", "--csv", "-"});
    EXPECT_EQ(csv.code, 1);

    // A site without a zone says which clock it takes; French numbers.
    science::EcrireSite(d.Fichier(science::NomFichierSite), {45.764, 4.8357, 170, ""});
    const Issue avec = Executer(d, {"lyon.txt", "--resume", "--annee", "2026"});
    EXPECT_EQ(avec.code, 0) << avec.erreurs;
    EXPECT_EQ(avec.erreurs.rfind("solvenare-journee : Site.txt ne donne pas de fuseau horaire : "
                                 "celui du système est utilisé",
                                 0),
              0u)
        << avec.erreurs;
    const Issue fuseau =
        Executer(d, {"lyon.txt", "--resume", "--annee", "2026", "--fuseau", "UTC+1"});
    EXPECT_EQ(fuseau.erreurs, "");
    EXPECT_NE(fuseau.sortie.find("Site : latitude 45,764000°, longitude 4,835700°, altitude 170 "
                                 "m, fuseau UTC+1\n"),
              std::string::npos)
        << fuseau.sortie;
    EXPECT_NE(fuseau.sortie.find(", soleil de 1,3° à 21,3°\n"), std::string::npos) << fuseau.sortie;
}

TEST(Sorties, RangesAndWavelengthsThatRunBackwardsAreRefused) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("lyon.txt"), 2.12, 2.05);
    for (const auto& [option, valeur] : {std::pair{"--langley", "12:00-08:00"},
                                         {"--langley", "08:00-08:00"},
                                         {"--longueurs-onde", "670,500"}}) {
        const Issue r = Executer(d, Avec({"lyon.txt", "--resume", option, valeur}, SiteDenver));
        EXPECT_EQ(r.code, 2) << option << " " << valeur;
        EXPECT_EQ(r.erreurs.rfind(std::string("solvenare-journee : ") + option, 0), 0u)
            << r.erreurs;
        EXPECT_EQ(r.sortie, "");
    }
}

}  // namespace
