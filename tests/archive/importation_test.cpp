// Import on real files: a file imported again adds nothing, a file that grew
// adds its new lines only (a torn last line waits), a file whose beginning
// changed is imported again whole; the schema's migrations; the SHA-256
// behind the files' identity.

#include <gtest/gtest.h>
#include <utime.h>

#include <filesystem>
#include <fstream>

#include "archive/archive.h"
#include "archive/empreinte.h"
#include "archive/importation.h"
#include "archive/schema.h"
#include "platform/textfile.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"

namespace {

using namespace archive;

ReglagesImport Lyon(std::optional<int> annee = 2026) {
    ReglagesImport r;
    r.site = SiteLyon;
    r.annee = annee;
    return r;
}

int64_t Compter(Archive& a, const std::string& sql) {
    return a.Base().Entier(sql);
}

void Ajouter(const std::string& chemin, const std::string& octets) {
    std::ofstream f(chemin, std::ios::binary | std::ios::app);
    f << octets;
}

TEST(ArchiveEmpreinte, VecteursDeLaNorme) {
    // FIPS 180-4 examples (NIST's SHA-256 example values).
    const struct {
        std::string message, hex;
    } cas[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(EmpreinteDe(c.message), c.hex) << c.message.size();
        // The same in uneven pieces.
        Empreinte e;
        for (size_t i = 0; i < c.message.size(); i += 37)
            e.Ajouter(std::string_view(c.message).substr(i, 37));
        EXPECT_EQ(e.Hex(), c.hex);
    }
}

TEST(ArchiveImportation, UnFichierNAjouteQueCeQuiEstNouveau) {
    Dossier d;
    const std::string fichier = d.Fichier("lyon.txt");
    EcrireMatineeClaire(fichier, 2.12, 2.05);
    Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
    const std::string ligne = "Simple;12:00:30  ;1,500;0,20;1,600;0,10;21\r\n";
    const std::string ligne2 = "Simple;12:01:00  ;1,501;0,20;1,601;0,10;21\r\n";
    // Each step changes the file, imports it, and says what the archive holds then.
    const struct {
        const char* quoi;
        std::function<void()> changer;
        Issue issue;
        size_t ajoutes;
        int64_t total;
    } etapes[] = {
        {"nouveau", [] {}, Issue::Nouveau, 441, 441},
        {"deux fois", [] {}, Issue::DejaLa, 0, 441},
        {"touché seulement",
         [&] {
             utimbuf t{1000000000, 1000000000};
             utime(fichier.c_str(), &t);
         },
         Issue::DejaLa, 0, 441},
        {"une ligne de plus", [&] { Ajouter(fichier, ligne); }, Issue::Agrandi, 1, 442},
        // A write under way: its torn line waits for the next import.
        {"ligne déchirée", [&] { Ajouter(fichier, ligne2.substr(0, 20)); }, Issue::DejaLa, 0, 442},
        {"ligne complétée", [&] { Ajouter(fichier, ligne2.substr(20)); }, Issue::Agrandi, 1, 443},
        {"début changé",
         [&] {
             std::string octets = LireOctets(fichier);
             const size_t i = octets.find("Simple;08:20:00  ;") + 18;
             octets[i] = octets[i] == '1' ? '2' : '1';
             std::ofstream(fichier, std::ios::binary | std::ios::trunc) << octets;
         },
         Issue::Remplace, 443, 443},
        {"puis rien", [] {}, Issue::DejaLa, 0, 443},
        {"raccourci",
         [&] {
             const std::string octets = LireOctets(fichier);
             std::filesystem::resize_file(fichier, octets.size() - ligne2.size());
         },
         Issue::Remplace, 442, 442},
    };
    for (const auto& e : etapes) {
        SCOPED_TRACE(e.quoi);
        e.changer();
        const BilanImport b = ImporterFichier(a, fichier, Lyon());
        EXPECT_EQ(b.issue, e.issue);
        EXPECT_EQ(b.ajoutes, e.ajoutes);
        if (std::string(e.quoi) == "raccourci") {
            EXPECT_EQ(b.raison, "il a raccourci depuis son import");
        }
        EXPECT_EQ(Compter(a, "SELECT count(*) FROM mesures"), e.total);
        EXPECT_EQ(Compter(a, "SELECT count(*) FROM fichiers"), 1);
        EXPECT_EQ(Compter(a, "SELECT count(*) FROM series"), 1);
    }
    // Other settings: the same bytes dated again, whole.
    const BilanImport autre = ImporterFichier(a, fichier, Lyon(2025));
    EXPECT_EQ(autre.issue, Issue::Remplace);
    EXPECT_EQ(autre.raison, "importé avec d'autres réglages");
    EXPECT_EQ(Compter(a, "SELECT count(*) FROM mesures"), 442);
}

TEST(ArchiveImportation, UnEnTeteDechireEstCompleteAuProchainImport) {
    Dossier d;
    const std::string fichier = d.Fichier("lyon.txt");
    auto lignes = EnTeteMatineeClaire();
    WriteTextFile(fichier, {lignes[0], lignes[1], lignes[2]});
    Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
    EXPECT_EQ(ImporterFichier(a, fichier, Lyon()).issue, Issue::Nouveau);
    EXPECT_EQ(Compter(a, "SELECT count(*) FROM series WHERE v0_vert IS NULL"), 1);
    std::vector<std::string> tout = EnTeteMatineeClaire();
    for (auto& l : EnregistrementsMatineeClaire(2.12, 2.05)) tout.push_back(l);
    WriteTextFile(fichier, tout);
    const BilanImport b = ImporterFichier(a, fichier, Lyon());
    EXPECT_EQ(b.issue, Issue::Agrandi);
    EXPECT_EQ(b.ajoutes, 441u);
    EXPECT_EQ(Compter(a, "SELECT count(*) FROM series WHERE v0_vert = 2.12 AND pression = 1008"),
              1);
    EXPECT_EQ(Compter(a, "SELECT count(*) FROM mesures WHERE utc IS NOT NULL"), 441);
}

TEST(ArchiveImportation, ValeursExactesEtPlaceParMesure) {
    Dossier d;
    const std::string fichier = d.Fichier("lyon.txt");
    EcrireMatineeClaire(fichier, 2.12, 2.05);
    Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
    ImporterFichier(a, fichier, Lyon());
    // The 08:20 record of Lyon's morning, as written, in millionths; its
    // instant from UTC+1.
    Requete r(a.Base(),
              "SELECT utc, secondes, v_vert, eo_vert, eo_rouge, temperature, mode FROM mesures "
              "ORDER BY ligne LIMIT 1");
    ASSERT_TRUE(r.Pas());
    EXPECT_EQ(r.Entier(0), 1796601600 + 8 * 3600 + 1200 - 3600);
    EXPECT_EQ(r.Entier(1), 8 * 3600 + 1200);
    EXPECT_EQ(r.Entier(2) % 1000, 0);
    // The depths the instrument wrote at dawn, air mass 3.9 by its typed 15°.
    EXPECT_EQ(r.Entier(3), 1350000);
    EXPECT_EQ(r.Entier(4), 910000);
    EXPECT_EQ(r.Entier(5), 21);
    EXPECT_EQ(r.Entier(6), 0);
}

TEST(ArchiveImportation, DossierParcouruAutresFichiersNommes) {
    Dossier d;
    std::filesystem::create_directories(d.Fichier("mesures/2026"));
    EcrireMatineeClaire(d.Fichier("mesures/2026/a.txt"), 2.12, 2.05);
    EcrireMatineeClaire(d.Fichier("mesures/b.txt"), 2.10, 2.00);
    WriteTextFile(d.Fichier("mesures/Parametres.txt"), {"[Parametres]"});
    WriteTextFile(d.Fichier("mesures/notes.txt"), {"ciel voilé"});
    std::vector<BilanImport> ignores;
    const auto fichiers = FichiersAImporter({d.Fichier("mesures")}, ignores);
    ASSERT_EQ(fichiers.size(), 2u);
    EXPECT_EQ(fichiers[0], d.Fichier("mesures/2026/a.txt"));
    EXPECT_EQ(fichiers[1], d.Fichier("mesures/b.txt"));
    ASSERT_EQ(ignores.size(), 2u);
    EXPECT_EQ(ignores[0].chemin, d.Fichier("mesures/Parametres.txt"));
    EXPECT_EQ(ignores[1].chemin, d.Fichier("mesures/notes.txt"));
}

TEST(ArchiveSchema, MigreDepuisLePremier) {
    Dossier d;
    const std::string chemin = d.Fichier("archive.sqlite");
    {
        // A file as the first schema made it, with a day in it.
        Connexion base(chemin, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, chemin);
        Migrer(base, 1);
        EXPECT_EQ(VersionFichier(base), 1);
        base.Executer(
            "INSERT INTO sites VALUES (1, 'x', 45.764, 4.8357, 170, 'UTC+1');"
            "INSERT INTO instruments VALUES (1, '7', 'v1,2');"
            "INSERT INTO fichiers VALUES (1, '', '/x', 10, 'e', 9, 1, 2026, NULL, '2026-12-07', "
            "'2026-12-07T12:00:00Z');"
            "INSERT INTO series VALUES (1, 1, 1, 1, 'A', 'Lundi 7 Décembre - ', 1, 7, 12, 1008, "
            "15, 2.0, 0.01, 2.0, 0.01, 0, 0, 2026);"
            "INSERT INTO mesures VALUES (1, 9, 1796631600, 0, 0, 30000, 1500000, 200000, "
            "1600000, 100000, 21);");
    }
    Archive a(chemin, Acces::Ecriture);
    EXPECT_EQ(VersionFichier(a.Base()), VersionSchema());
    EXPECT_EQ(a.Base().Entier("SELECT count(*) FROM mesures"), 1);
    // The half-days' table comes empty: they are made with the summaries.
    EXPECT_EQ(a.Base().Entier("SELECT count(*) FROM langleys"), 0);
    EXPECT_EQ(a.Base().Entier("PRAGMA foreign_keys"), 1);
    EXPECT_EQ(a.Base().Entier("PRAGMA application_id"), IdentiteArchive);
}

TEST(ArchiveSchema, VersionsRefusees) {
    Dossier d;
    const struct {
        const char* quoi;
        std::string sql;
        Acces acces;
        const char* message;
    } cas[] = {
        {"plus récente",
         "PRAGMA application_id = " + std::to_string(IdentiteArchive) +
             "; PRAGMA user_version = 99",
         Acces::Ecriture, "version plus récente"},
        {"autre programme", "CREATE TABLE t (x)", Acces::Ecriture, "autre programme"},
        {"autre identité", "PRAGMA application_id = 7", Acces::Lecture, "autre programme"},
        {"vide en lecture", "", Acces::Lecture, "vide"},
    };
    int n = 0;
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        const std::string chemin = d.Fichier("base" + std::to_string(n++) + ".sqlite");
        {
            Connexion base(chemin, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, chemin);
            if (!c.sql.empty()) base.Executer(c.sql);
        }
        try {
            Archive a(chemin, c.acces);
            ADD_FAILURE() << "ouverte";
        } catch (const ErreurArchive& e) {
            EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(chemin), std::string::npos) << e.Message();
        }
    }
}

}  // namespace
