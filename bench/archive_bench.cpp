// The archive at scale: years of one instrument, one data file a day with a
// record every 30 s in daylight, imported by the real program beside the
// sqlite3 shell's .import of the same records as CSV into the same table;
// the days' summaries of every year read beside one plain SELECT over the
// same records; the bytes each record costs on disk. Not run by ctest.
//
//   build/bench/archive_bench [--jours 3650] [--dossier /tmp/...]

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "archive/archive.h"
#include "archive/jours.h"
#include "archive/sqlite.h"

namespace {

using Horloge = std::chrono::steady_clock;

double Secondes(Horloge::time_point debut) {
    return std::chrono::duration<double>(Horloge::now() - debut).count();
}

// The header's date as the program writes it, in Windows-1252 (octal
// escapes: a hexadecimal one runs into the letters after it).
std::string DateEnTete(const std::tm& t) {
    static const char* jours[] = {"Dimanche", "Lundi",    "Mardi", "Mercredi",
                                  "Jeudi",    "Vendredi", "Samedi"};
    static const char* mois[] = {"Janvier",   "F\351vrier", "Mars",     "Avril",
                                 "Mai",       "Juin",       "Juillet",  "Ao\373t",
                                 "Septembre", "Octobre",    "Novembre", "D\351cembre"};
    return std::string(jours[t.tm_wday]) + " " + std::to_string(t.tm_mday) + " " + mois[t.tm_mon];
}

std::string Virgule(double v, int decimales) {
    char texte[32];
    std::snprintf(texte, sizeof texte, "%.*f", decimales, v);
    std::string s = texte;
    for (char& c : s)
        if (c == '.') c = ',';
    return s;
}

struct Jeu {
    size_t enregistrements = 0;
    size_t octets = 0;
};

// One file a day from 2017-01-01; daylight as at 45° N: from about 7 h in
// winter to 15 h in summer. The CSV holds the same records in the archive's
// table's columns (series = the day's number, line, UTC, mode, days,
// seconds, voltages and depths in millionths, temperature).
Jeu Ecrire(const std::string& dossier, int jours, const std::string& csv) {
    std::filesystem::create_directories(dossier + "/mesures");
    std::ofstream table(csv, std::ios::binary);
    Jeu jeu;
    const time_t debut = 1483228800;  // 2017-01-01 00:00 UTC
    unsigned graine = 12345;
    const auto alea = [&graine] {
        graine = graine * 1103515245u + 12345u;
        return static_cast<double>((graine >> 8) & 0xffff) / 65536.0;
    };
    for (int j = 0; j < jours; ++j) {
        const time_t jour = debut + static_cast<time_t>(j) * 86400;
        std::tm t{};
        gmtime_r(&jour, &t);
        const double duree = 11 + 4 * std::sin(2 * M_PI * (t.tm_yday - 80) / 365.0);  // hours
        const int lever = static_cast<int>((12 - duree / 2) * 3600),
                  coucher = static_cast<int>((12 + duree / 2) * 3600);
        char nom[64];
        std::snprintf(nom, sizeof nom, "%s/mesures/%04d-%02d-%02d.txt", dossier.c_str(),
                      t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
        std::string texte =
            "SOLVENARE\r\n-- Date     : " + DateEnTete(t) +
            " - \r\n-- Photom\350tre n\2607 Logiciel v1,2\r\n-- Pression : 1008 "
            "hPa\r\n-- Angle d'\351l\351vation solaire : 30 deg\r\nETALONNAGE\r\n-- "
            "V0Vert  = 2,12V VnVert  = 0,01V\r\n-- V0Rouge = 2,05V VnRouge = "
            "0,01V\r\nMode;Heure;VVert;EOVert;VRouge;EORouge;Temp\351rature\r\n";
        size_t ligne = 10;
        for (int s = lever; s <= coucher; s += 30, ++ligne) {
            const double hauteur = std::sin(M_PI * (s - lever) / (coucher - lever));
            const double vVert =
                0.01 + 2.12 * std::exp(-0.35 / (0.05 + hauteur)) * (1 + 0.01 * alea());
            const double vRouge =
                0.01 + 2.05 * std::exp(-0.2 / (0.05 + hauteur)) * (1 + 0.01 * alea());
            char heure[16];
            std::snprintf(heure, sizeof heure, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
            texte += std::string("Simple;") + heure + "  ;" + Virgule(vVert, 3) + ";0,20;" +
                     Virgule(vRouge, 3) + ";0,10;21\r\n";
            char rang[160];
            std::snprintf(rang, sizeof rang, "%d,%zu,%lld,0,0,%d,%lld,200000,%lld,100000,21\n",
                          j + 1, ligne, static_cast<long long>(jour + s - 3600), s,
                          std::llround(std::stod(Virgule(vVert, 3).replace(1, 1, ".")) * 1e6),
                          std::llround(std::stod(Virgule(vRouge, 3).replace(1, 1, ".")) * 1e6));
            table << rang;
            ++jeu.enregistrements;
        }
        std::ofstream(nom, std::ios::binary) << texte;
        jeu.octets += texte.size();
        // The year rule reads the file's date: the day itself.
        const utimbuf quand{jour + 86400, jour + 86400};
        utime(nom, &quand);
    }
    return jeu;
}

int Lancer(const std::string& commande) {
    const int statut = std::system(commande.c_str());
    return WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
}

double Charge() {
    double charge[3] = {};
    return getloadavg(charge, 3) > 0 ? charge[0] : -1;
}

}  // namespace

int main(int argc, char** argv) {
    int jours = 3650;
    std::string dossier = "/tmp/archive-bench";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--jours") jours = std::atoi(argv[i + 1]);
        if (option == "--dossier") dossier = argv[i + 1];
    }
    std::filesystem::remove_all(dossier);
    std::filesystem::create_directories(dossier);
    const std::string programme = SOLVENARE_ARCHIVE;
    std::printf("Charge au départ / load at start: %.2f\n", Charge());

    auto t = Horloge::now();
    const Jeu jeu = Ecrire(dossier, jours, dossier + "/mesures.csv");
    std::printf("%d fichiers, %zu enregistrements, %.1f Mo, écrits en %.1f s\n", jours,
                jeu.enregistrements, jeu.octets / 1e6, Secondes(t));

    // The baseline: the same records as CSV, into the same table, by the
    // sqlite3 shell.
    const std::string base = dossier + "/plancher.sqlite";
    {
        std::ofstream sql(dossier + "/plancher.sql");
        sql << "PRAGMA journal_mode = WAL;\n"
               "CREATE TABLE mesures (serie INTEGER NOT NULL, ligne INTEGER NOT NULL, utc "
               "INTEGER, mode INTEGER NOT NULL, jours INTEGER NOT NULL, secondes INTEGER NOT "
               "NULL, v_vert INTEGER, eo_vert INTEGER, v_rouge INTEGER, eo_rouge INTEGER, "
               "temperature INTEGER, PRIMARY KEY (serie, ligne)) WITHOUT ROWID;\n"
               ".import --csv "
            << dossier << "/mesures.csv mesures\n";
    }
    t = Horloge::now();
    if (Lancer("sqlite3 " + base + " < " + dossier + "/plancher.sql") != 0) return 1;
    const double plancher = Secondes(t);

    const std::string archive = dossier + "/archive.sqlite";
    t = Horloge::now();
    if (Lancer("cd " + dossier + " && " + programme + " --archive " + archive +
               " importer mesures --site 45.764,4.8357,170 --fuseau UTC+1 > import.txt") != 0)
        return 1;
    const double import = Secondes(t);
    std::printf("import : %.1f s ; .import du shell sqlite3 : %.1f s ; rapport %.2f\n", import,
                plancher, import / plancher);

    // The seasons' figures for every day, beside one plain SELECT over the
    // same records.
    archive::Archive a(archive, archive::Acces::Lecture);
    t = Horloge::now();
    const auto resumes = archive::Jours(a, {});
    const double saisons = Secondes(t);
    t = Horloge::now();
    archive::Requete tout(a.Base(), "SELECT serie, ligne, utc, v_vert, v_rouge FROM mesures");
    int64_t somme = 0;
    size_t lignes = 0;
    while (tout.Pas()) {
        somme += tout.Entier(3);
        ++lignes;
    }
    const double select = Secondes(t);
    std::printf("les %zu jours : %.3f s ; SELECT de %zu lignes : %.3f s ; rapport %.3f\n",
                resumes.size(), saisons, lignes, select, saisons / select);
    if (somme == 0) return 1;

    struct stat st {};
    stat(archive.c_str(), &st);
    const int64_t pages =
        a.Base().Entier("PRAGMA page_count") * a.Base().Entier("PRAGMA page_size");
    struct stat sp {};
    stat(base.c_str(), &sp);
    std::printf(
        "archive : %.1f Mo, %.1f octets par enregistrement (pages : %.1f) ; plancher : %.1f "
        "octets par enregistrement\n",
        st.st_size / 1e6, static_cast<double>(st.st_size) / jeu.enregistrements,
        static_cast<double>(pages) / jeu.enregistrements,
        static_cast<double>(sp.st_size) / jeu.enregistrements);
    std::printf("Charge à la fin / load at end: %.2f\n", Charge());
    return 0;
}
