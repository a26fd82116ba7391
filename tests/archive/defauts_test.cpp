// Nothing lost, nothing let in: the real program killed during an import,
// a second writer, files that are no archive, a read-only archive, a full
// disk. Real processes on real files.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "archive/sqlite.h"
#include "platform/textfile.h"
#include "tests/archive/outils.h"
#include "tests/support/matinee.h"

namespace {

const std::vector<std::string> Lyon = {"--site", "45.764,4.8357,170", "--fuseau",
                                       "UTC+1",  "--annee",           "2026"};

std::vector<std::string> Avec(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// n data files, each its own bytes.
void EcrireFichiers(const Dossier& d, const std::string& dossier, int n) {
    std::filesystem::create_directories(d.Fichier(dossier));
    for (int i = 0; i < n; ++i) {
        char nom[32];
        std::snprintf(nom, sizeof nom, "/jour%02d.txt", i);
        EcrireMatineeClaire(d.Fichier(dossier + nom), 2.0 + 0.01 * i, 2.05);
    }
}

int64_t Fichiers(const std::string& archive) {
    try {
        archive::Connexion base(archive, SQLITE_OPEN_READONLY, archive);
        return base.Entier("SELECT count(*) FROM fichiers");
    } catch (const archive::ErreurArchive&) {
        return 0;
    }
}

// The archive's content as the user sees it.
std::string Contenu(const Dossier& d) {
    const Execution jours = LancerArchive(d, {"jours"});
    const Execution csv = LancerArchive(d, {"exporter", "--csv", "-"});
    EXPECT_EQ(jours.code, 0) << jours.erreurs;
    EXPECT_EQ(csv.code, 0) << csv.erreurs;
    return jours.sortie + csv.sortie;
}

TEST(Defauts, TueDurantUnImportPuisRepris) {
    constexpr int N = 30;
    Dossier reference, d;
    EcrireFichiers(reference, "mesures", N);
    EcrireFichiers(d, "mesures", N);
    ASSERT_EQ(LancerArchive(reference, Avec({"importer", "mesures"}, Lyon)).code, 0);

    const pid_t enfant = fork();
    if (enfant == 0) {
        if (chdir(d.chemin.c_str()) != 0) _exit(120);
        if (!freopen("/dev/null", "w", stdout)) _exit(121);
        std::vector<std::string> args = Avec({"importer", "mesures"}, Lyon);
        std::vector<char*> argv = {const_cast<char*>(SOLVENARE_ARCHIVE)};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(SOLVENARE_ARCHIVE, argv.data());
        _exit(122);
    }
    // Killed once a few files are in, well before the last.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int64_t avant = 0;
    while ((avant = Fichiers(d.Fichier("archive.sqlite"))) < 3 &&
           std::chrono::steady_clock::now() < limite)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(enfant, SIGKILL);
    int statut = 0;
    waitpid(enfant, &statut, 0);
    ASSERT_TRUE(WIFSIGNALED(statut));
    const int64_t apres = Fichiers(d.Fichier("archive.sqlite"));
    EXPECT_GE(apres, 3);
    EXPECT_LT(apres, N);

    const Execution verification = LancerArchive(d, {"verifier"});
    EXPECT_EQ(verification.code, 0) << verification.sortie << verification.erreurs;
    EXPECT_NE(verification.sortie.find("est saine"), std::string::npos);
    const Execution reprise = LancerArchive(d, Avec({"importer", "mesures"}, Lyon));
    ASSERT_EQ(reprise.code, 0) << reprise.erreurs;
    EXPECT_NE(reprise.sortie.find("déjà dans l'archive"), std::string::npos);
    EXPECT_EQ(Fichiers(d.Fichier("archive.sqlite")), N);
    EXPECT_EQ(Contenu(d), Contenu(reference));
}

TEST(Defauts, UnSecondEcrivainAttendPuisRenonce) {
    Dossier d;
    EcrireFichiers(d, "a", 1);
    EcrireFichiers(d, "b", 2);
    ASSERT_EQ(LancerArchive(d, Avec({"importer", "a"}, Lyon)).code, 0);
    const std::string chemin = d.Fichier("archive.sqlite");
    {
        // Another program holds the write lock.
        archive::Connexion autre(chemin, SQLITE_OPEN_READWRITE, chemin);
        autre.Executer("BEGIN IMMEDIATE");
        const auto debut = std::chrono::steady_clock::now();
        const Execution r = LancerArchive(d, Avec({"importer", "b"}, Lyon),
                                          [] { setenv("SOLVENARE_ARCHIVE_ATTENTE_MS", "400", 1); });
        const auto attente = std::chrono::steady_clock::now() - debut;
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.erreurs.find("occupée par un autre programme"), std::string::npos) << r.erreurs;
        EXPECT_NE(r.erreurs.find("est annulé"), std::string::npos) << r.erreurs;
        EXPECT_GE(attente, std::chrono::milliseconds(400));
        // Readers are not stopped by a writer.
        EXPECT_EQ(LancerArchive(d, {"jours"}).code, 0);
        autre.Executer("ROLLBACK");
    }
    const Execution r = LancerArchive(d, Avec({"importer", "b"}, Lyon));
    EXPECT_EQ(r.code, 0) << r.erreurs;
    EXPECT_EQ(Fichiers(chemin), 2);
}

TEST(Defauts, CeQuiNEstPasUneArchive) {
    Dossier d;
    EcrireFichiers(d, "mesures", 1);
    ASSERT_EQ(
        LancerArchive(d, Avec({"importer", "mesures", "--archive", "vraie.sqlite"}, Lyon)).code, 0);
    const std::string vraie = LireOctets(d.Fichier("vraie.sqlite"));
    ASSERT_GT(vraie.size(), 8192u);
    const struct {
        const char* quoi;
        std::string octets;
        const char* message;
        bool intact;  // even an import leaves it as it was
    } cas[] = {
        {"tronquée à 50 octets", vraie.substr(0, 50), "tronqué", true},
        {"tronquée à 8 Kio", vraie.substr(0, 8192), "abîmée", false},
        {"fichier de mesures", LireOctets(d.Fichier("mesures/jour00.txt")), "n'est pas une archive",
         true},
        {"texte", "des notes\n", "tronqué", true},
        {"autre base", "", "autre programme", true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        const std::string chemin = d.Fichier("archive.sqlite");
        std::filesystem::remove(chemin);
        if (std::string(c.quoi) == "autre base") {
            archive::Connexion autre(chemin, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, chemin);
            autre.Executer("CREATE TABLE clients (nom TEXT)");
        } else {
            std::ofstream(chemin, std::ios::binary) << c.octets;
        }
        const std::string octets = LireOctets(chemin);
        for (const auto& commande : {std::vector<std::string>{"jours"},
                                     {"exporter", "--csv", "-"},
                                     {"verifier"},
                                     Avec({"importer", "mesures"}, Lyon)}) {
            const Execution r = LancerArchive(d, commande);
            EXPECT_EQ(r.code, 1) << commande[0] << r.erreurs;
            EXPECT_EQ(r.erreurs.rfind("solvenare-archive : ", 0), 0u) << r.erreurs;
            const bool dit = r.erreurs.find(c.message) != std::string::npos ||
                             r.sortie.find(c.message) != std::string::npos;
            EXPECT_TRUE(dit) << commande[0] << ": " << r.sortie << r.erreurs;
            if (c.intact) {
                EXPECT_EQ(LireOctets(chemin), octets) << commande[0];
            }
        }
    }
}

// The child as a user the permissions bind: root passes them all.
void SansPrivileges() {
    if (getuid() != 0) return;
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(123);
}

TEST(Defauts, ArchiveEnLectureSeule) {
    Dossier d;
    chmod(d.chemin.c_str(), 0755);
    EcrireFichiers(d, "mesures", 2);
    ASSERT_EQ(LancerArchive(d, Avec({"importer", "mesures/jour00.txt"}, Lyon)).code, 0);
    const std::string attendu = Contenu(d);
    const std::string chemin = d.Fichier("archive.sqlite");
    const struct {
        const char* quoi;
        mode_t fichier, dossier;
    } cas[] = {{"fichier", 0444, 0755}, {"dossier", 0644, 0555}, {"les deux", 0444, 0555}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        chmod(chemin.c_str(), c.fichier);
        chmod(d.chemin.c_str(), c.dossier);
        const Execution jours = LancerArchive(d, {"jours"}, SansPrivileges);
        const Execution csv = LancerArchive(d, {"exporter", "--csv", "-"}, SansPrivileges);
        const Execution verification = LancerArchive(d, {"verifier"}, SansPrivileges);
        const Execution import =
            LancerArchive(d, Avec({"importer", "mesures/jour01.txt"}, Lyon), SansPrivileges);
        chmod(d.chemin.c_str(), 0755);
        chmod(chemin.c_str(), 0644);
        EXPECT_EQ(jours.code, 0) << jours.erreurs;
        EXPECT_EQ(csv.code, 0) << csv.erreurs;
        EXPECT_EQ(jours.sortie + csv.sortie, attendu);
        EXPECT_EQ(verification.code, 0) << verification.erreurs;
        EXPECT_EQ(import.code, 1);
        EXPECT_NE(import.erreurs.find("lecture seule"), std::string::npos) << import.erreurs;
    }
    EXPECT_EQ(Fichiers(chemin), 1);
}

TEST(Defauts, DisquePleinAnnuleLeFichierEnCours) {
    constexpr int N = 12;
    Dossier d, reference;
    EcrireFichiers(d, "mesures", N);
    EcrireFichiers(reference, "mesures", N);
    ASSERT_EQ(LancerArchive(reference, Avec({"importer", "mesures"}, Lyon)).code, 0);
    ASSERT_EQ(LancerArchive(d, Avec({"importer", "mesures/jour00.txt"}, Lyon)).code, 0);
    // No file may grow past 150 kB: the journal fills up a few files in.
    const Execution plein = LancerArchive(d, Avec({"importer", "mesures"}, Lyon), [] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limite{150000, 150000};
        setrlimit(RLIMIT_FSIZE, &limite);
    });
    EXPECT_EQ(plein.code, 1);
    EXPECT_NE(plein.erreurs.find("est annulé, l'archive est restée comme avant lui"),
              std::string::npos)
        << plein.erreurs;
    EXPECT_NE(plein.erreurs.find("fichier trop grand"), std::string::npos) << plein.erreurs;
    const int64_t importes = Fichiers(d.Fichier("archive.sqlite"));
    EXPECT_GE(importes, 1);
    EXPECT_LT(importes, N);
    EXPECT_EQ(LancerArchive(d, {"verifier"}).code, 0);
    ASSERT_EQ(LancerArchive(d, Avec({"importer", "mesures"}, Lyon)).code, 0);
    EXPECT_EQ(Contenu(d), Contenu(reference));
}

}  // namespace
