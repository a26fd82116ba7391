// Fuzzes the reading of data files: any bytes, read as the program's
// Windows-1252 lines, then every record computed again, exported as CSV and
// fitted by Langley. Nothing may crash, and what comes out must hold
// together: each line is a record or reported at most once, every value
// given is finite, the CSV has one row of 16 cells a record.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/checks.h"
#include "platform/textfile.h"
#include "science/export_csv.h"
#include "science/fichier_journee.h"
#include "science/langley.h"
#include "science/recalcul.h"

namespace {

using namespace science;

std::vector<std::string> Lignes(const uint8_t* data, size_t size) {
    std::vector<std::string> lignes;
    std::string ligne;
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n' || c == '\r') {
            lignes.push_back(Windows1252ToUtf8(ligne));
            ligne.clear();
            if (c == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
        } else {
            ligne += c;
        }
    }
    if (!ligne.empty()) lignes.push_back(Windows1252ToUtf8(ligne));
    return lignes;
}

void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

void Fini(const std::optional<double>& v, const char* quoi) {
    if (v) Check(std::isfinite(*v), quoi);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> lignes = Lignes(data, size);
    const Journee j = LireJournee(lignes);

    std::set<size_t> vues;
    for (const Anomalie& a : j.anomalies) {
        Check(a.ligne >= 1 && a.ligne <= lignes.size(), "anomaly line in the file");
        Check(!a.message.empty(), "anomaly has a message");
    }
    size_t enregistrements = 0;
    for (const Serie& s : j.series) {
        Check(s.enTete.ligne >= 1 && s.enTete.ligne <= lignes.size(), "header line in the file");
        for (const Enregistrement& r : s.enregistrements) {
            Check(r.ligne > s.enTete.ligne && r.ligne <= lignes.size(), "record after its header");
            Check(vues.insert(r.ligne).second, "each line read once");
            Check(r.secondes >= 0 && r.secondes < 86400, "time of day");
            Check(r.jours >= 0 && static_cast<size_t>(r.jours) <= lignes.size(), "days");
            ++enregistrements;
        }
    }

    ReglagesRecalcul reglages;
    reglages.site = {45.76, 4.84, 170, "UTC+1"};
    reglages.annee = 2025;
    const std::vector<Resultat> resultats = Recalculer(j, reglages);
    Check(resultats.size() == enregistrements, "one result a record");
    for (const Resultat& r : resultats) {
        Fini(r.elevation, "elevation finite");
        Fini(r.masseAir, "air mass finite");
        Fini(r.eoVert, "green depth finite");
        Fini(r.eoRouge, "red depth finite");
        Fini(r.angstrom, "alpha finite");
        if (r.masseAir) Check(*r.masseAir >= 0.99 && *r.masseAir < 40, "air mass in range");
        if (r.angstrom) Check(r.eoVert && r.eoRouge, "alpha only from two depths");
    }

    std::ostringstream csv;
    EcrireCsv(csv, resultats, reglages.site);
    const std::string texte = csv.str();
    size_t rangs = 0, virgules = 0;
    for (char c : texte) {
        if (c == ',') ++virgules;
        if (c == '\n') {
            Check(virgules == 15, "16 cells a row");
            virgules = 0;
            ++rangs;
        }
    }
    Check(rangs == resultats.size() + 1, "one CSV row a record");

    for (size_t s = 0; s < j.series.size() && s < 4; ++s)
        for (const Canal canal : {Canal::Vert, Canal::Rouge})
            if (const auto a = AjusterLangley(PointsLangley(resultats, s, canal, 0, 86399)))
                Check(std::isfinite(a->pente) && a->points >= 3, "Langley fit sound");
    return 0;
}
