#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "science/critere_nuages.h"
#include "science/recalcul.h"

// Cloud screening of the green channel's aerosol depth within each series,
// after Smirnov et al. (2000), "Cloud-screening and quality control
// algorithms for the AERONET database", Remote Sens. Environ. 73: 337–349,
// adapted to an instrument that takes single readings 30 s to 2 min apart
// (the network's criteria work on triplets of readings 30 s apart, taken
// every 15 min). A record that passes every criterion is level 1.5; one that
// fails is level 1.0 with the first criterion it failed.
//
// Two passes, so that memory does not grow with a series' length: the first
// is given each record's time and depth and keeps only short windows, a few
// running sums and one byte per record; the second asks, record by record in
// the same order, for the verdict.
namespace science {

class FiltreNuages {
  public:
    // First pass: the records of each series in file order (series may
    // interleave). utc in seconds; nothing where the series is undated.
    void Ajouter(size_t serie, std::optional<double> utc, std::optional<double> tau);
    // Between the passes.
    void Conclure();
    // Second pass: the verdict on the next record of the series, given its
    // depth again (the three-sigma rule needs it and the first pass keeps no
    // depths). A record the first pass did not see has no verdict but
    // SansValeur.
    Critere Verdict(size_t serie, std::optional<double> tau);

    // The same for recomputed records: the first pass notes the last line it
    // saw; Marquer sets the record's verdict, and is false for a
    // record after that line (the file grew between the passes), left as it
    // is.
    void Ajouter(const Resultat& r);
    bool Marquer(Resultat& r);

    // Readings on each side of the one the smoothness criterion judges.
    static constexpr size_t DemiFenetreLissage = 10;

  private:
    struct Point {
        size_t indice;  // in the series
        double t;       // seconds
        double tau;
        double lnTau = 0;  // for the smoothness criterion
    };
    struct Moyenne {  // Welford's running mean and variance
        size_t n = 0;
        double moyenne = 0, m2 = 0;
        void Ajouter(double x);
        double EcartType() const;
    };
    struct Serie {
        std::vector<uint8_t> codes;   // one per record
        std::vector<Point> triplets;  // the last readings with a depth
        std::vector<Point> lisses;    // readings that passed the triplet, around the next to judge
        size_t prochainTriplet = 0;   // next reading of `triplets` to judge
        size_t prochainLisse = 0;
        Moyenne apresTriplet, apresLissage;
        bool stable = false;
        size_t curseur = 0;  // second pass
        bool conclue = false;
    };
    static void JugerTriplet(Serie& s, bool fin);
    static void JugerLissage(Serie& s, bool fin);
    static void Conclure(Serie& s);

    std::vector<Serie> series_;
    std::optional<size_t> derniereLigne_;
};

// The whole-vector form for a view that holds every record: one verdict per
// result, in order.
std::vector<Critere> FiltrerNuages(const std::vector<Resultat>& resultats);
// The same, written into each result's verdict.
void MarquerNiveaux(std::vector<Resultat>& resultats);

}  // namespace science
