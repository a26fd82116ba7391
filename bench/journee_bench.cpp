// A data file of 100,000 records read, computed again and exported as CSV,
// beside a baseline measured in the same run: reading the file's bytes alone.
// Not run by ctest: build/bench/journee_bench [records].

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/textfile.h"
#include "recording/lignes.h"
#include "science/export_csv.h"
#include "science/fichier_journee.h"
#include "science/filtrage_nuages.h"
#include "science/recalcul.h"

namespace {

using namespace science;
using Horloge = std::chrono::steady_clock;

// Ten series on ten days, one record a second from 07:00, as the program
// writes them (Windows-1252, CR LF).
void EcrireFichier(const std::string& chemin, int enregistrements) {
    std::vector<std::string> lignes = {recording::LigneCreation()};
    const int parSerie = (enregistrements + 9) / 10;
    int ecrits = 0;
    for (int s = 0; ecrits < enregistrements; ++s) {
        const recording::EnTete e{"Lundi " + std::to_string(1 + s) + " Juin - ",
                                  "7",
                                  "1,2",
                                  "1013",
                                  "40",
                                  "2,12",
                                  "0,01",
                                  "2,05",
                                  "0,01"};
        for (const auto& l : recording::LignesEnTeteA(e)) lignes.push_back(l);
        for (int i = 0; i < parSerie && ecrits < enregistrements; ++i, ++ecrits) {
            const int t = 7 * 3600 + i;
            char heure[16], vert[16], rouge[16];
            std::snprintf(heure, sizeof heure, "%02d:%02d:%02d  ", t / 3600, t / 60 % 60, t % 60);
            std::snprintf(vert, sizeof vert, "1,%03d", 200 + i % 700);
            std::snprintf(rouge, sizeof rouge, "1,%03d", 300 + i % 600);
            lignes.push_back(recording::LigneEnregistrement(recording::ModeSimple, heure, vert,
                                                            "0,21", rouge, "0,11", "24"));
        }
    }
    WriteTextFile(chemin, lignes);
}

std::string Octets(const std::string& chemin) {
    const int fd = open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
    std::string donnees;
    char tampon[65536];
    for (ssize_t n; (n = read(fd, tampon, sizeof tampon)) > 0;) donnees.append(tampon, n);
    close(fd);
    return donnees;
}

template <typename F>
double Mediane(int fois, F f) {
    std::vector<double> durees;
    for (int i = 0; i < fois; ++i) {
        const auto debut = Horloge::now();
        f();
        durees.push_back(std::chrono::duration<double>(Horloge::now() - debut).count());
    }
    std::sort(durees.begin(), durees.end());
    return durees[durees.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int enregistrements = argc > 1 ? std::atoi(argv[1]) : 100000;
    char modele[] = "/tmp/solvenare-journee-bench-XXXXXX";
    const std::string dossier = mkdtemp(modele);
    const std::string fichier = dossier + "/mesures.txt", csv = dossier + "/mesures.csv";
    EcrireFichier(fichier, enregistrements);
    Octets(fichier);  // warm the page cache for both sides alike

    ReglagesRecalcul reglages;
    reglages.site = {45.764, 4.8357, 170, "Europe/Paris"};
    reglages.annee = 2026;

    size_t taille = 0, lignesCsv = 0;
    const double octets = Mediane(7, [&] { taille = Octets(fichier).size(); });
    const double lecture = Mediane(7, [&] { LireFichierJournee(fichier); });
    const Journee j = LireFichierJournee(fichier);
    const double recalcul = Mediane(7, [&] { Recalculer(j, reglages); });
    const auto resultats = Recalculer(j, reglages);
    const double export_ = Mediane(7, [&] {
        std::ofstream sortie(csv, std::ios::binary | std::ios::trunc);
        EcrireCsv(sortie, resultats, reglages.site);
    });
    const double tout = Mediane(7, [&] {
        const Journee jj = LireFichierJournee(fichier);
        std::ofstream sortie(csv, std::ios::binary | std::ios::trunc);
        EcrireCsv(sortie, Recalculer(jj, reglages), reglages.site);
    });
    // The day view screens the records it holds.
    auto marques = resultats;
    const double criblage = Mediane(7, [&] { MarquerNiveaux(marques); });
    for (const std::string& l : ReadTextLines(csv)) lignesCsv += !l.empty();
    std::filesystem::remove_all(dossier);

    std::printf("%d records, file %zu bytes, CSV %zu rows; medians of 7 runs\n",
                static_cast<int>(resultats.size()), taille, lignesCsv);
    std::printf("baseline, reading the bytes    %8.2f ms\n", octets * 1e3);
    std::printf("reading and parsing            %8.2f ms  (%.0f x baseline)\n", lecture * 1e3,
                lecture / octets);
    std::printf("recomputing                    %8.2f ms\n", recalcul * 1e3);
    std::printf("exporting CSV                  %8.2f ms\n", export_ * 1e3);
    std::printf("all three, one pass            %8.2f ms  (%.0f x baseline)\n", tout * 1e3,
                tout / octets);
    std::printf("cloud screening, whole vector  %8.2f ms\n", criblage * 1e3);
    return 0;
}
