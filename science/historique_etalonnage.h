#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "science/langley.h"
#include "science/langley_demi_journee.h"

// The calibration history of one instrument: its half-days' Langley V0,
// the V0 recommended for a date, the drift, and the V0 of the best level
// (2.0) interpolated between recommendations before and after a record.
// The practice is the networks': many clear half-days averaged, outliers
// left out, the calibration checked on both sides of the measurements
// (Holben et al. 1998, "AERONET — A federated instrument network and data
// archive for aerosol characterization", Remote Sens. Environ. 66, 1–16;
// Shaw 1983, "Sun photometry", Bull. Am. Meteorol. Soc. 64, 4–10).
namespace science {

// One half-day's Langley of one channel, as the history holds it.
struct LangleyDate {
    double jour = 0;  // days since 1970-01-01 on the local clock, at the half-day's middle
    DemiJour demi = DemiJour::Matin;
    Voie voie = Voie::Vert;
    double v0 = 0, erreurTypeV0 = 0;  // volts, at 1 AU
    bool accepte = false;             // the verdict passed
    // The calibration period: a change of the header's constants starts a
    // new one, and no average or interpolation crosses it.
    int periode = 0;
};

// Days since 1970-01-01 of a date (proleptic Gregorian), plus 0.25 for a
// morning and 0.75 for an afternoon.
double JourDemiJour(const Date& date, DemiJour demi);

// The header's constants of a series, in the order they were used:
// the period of each, counting from 0 and moving on at each change.
struct ConstantesEtalonnage {
    double v0Vert = 0, v0Rouge = 0, vnVert = 0, vnRouge = 0;
    bool operator==(const ConstantesEtalonnage&) const = default;
};
std::vector<int> NumeroterPeriodes(const std::vector<ConstantesEtalonnage>& dansLOrdre);

struct ReglagesEtalonnage {
    double fenetreJours = 60;  // centred on the date
    size_t minimum = 3;        // half-days kept
    // A half-day further than this many robust deviations (1.4826 × the
    // median absolute deviation) from the recommendation is an outlier.
    double seuilAberrant = 3;
};

struct Recommandation {
    double v0 = 0;                  // volts: the mean weighted by 1/u² of the half-days kept
    double ecartType = 0;           // of the kept half-days' V0 about it, volts
    double erreurType = 0;          // of the weighted mean, volts
    size_t nombre = 0;              // half-days kept
    std::vector<size_t> aberrants;  // indices in the history, left out
};

// The V0 recommended for one channel at a day of a period: nothing with
// fewer than `minimum` accepted half-days of that period in the window once
// the outliers are out.
std::optional<Recommandation> Recommander(const std::vector<LangleyDate>& historique, Voie voie,
                                          double jour, int periode,
                                          const ReglagesEtalonnage& reglages = {});

// Each half-day's fate, for the history's window and its archive.
enum class StatutLangley { Rejete, Accepte, Aberrant };

// Rejected when its verdict failed; an outlier when the recommendation at
// its own date leaves it out.
std::vector<StatutLangley> Statuts(const std::vector<LangleyDate>& historique,
                                   const ReglagesEtalonnage& reglages = {});

struct Derive {
    double voltsParAn = 0;
    double pourCentParAn = 0;  // of the median V0
    size_t nombre = 0;         // half-days used
};

// The drift of one channel over one period by Theil–Sen: the median of the
// slopes between every two accepted half-days that are not outliers (Theil
// 1950, Proc. K. Ned. Akad. Wet. 53, 386–392; Sen 1968, J. Am. Stat. Assoc.
// 63, 1379–1389), which what escapes the outlier rule hardly moves.
// Nothing with fewer than two such half-days on different days.
std::optional<Derive> DeriveTheilSen(const std::vector<LangleyDate>& historique, Voie voie,
                                     int periode, const ReglagesEtalonnage& reglages = {});

// The recommendation at a day, in a series of them.
struct RecommandationDatee {
    double jour = 0;
    int periode = 0;
    Recommandation recommandation;
};

// The recommendations of one channel at every accepted half-day, in time
// order: the knots level 2.0 interpolates between.
std::vector<RecommandationDatee> Recommandations(const std::vector<LangleyDate>& historique,
                                                 Voie voie,
                                                 const ReglagesEtalonnage& reglages = {});

struct V0Niveau2 {
    double v0 = 0, incertitude = 0;  // volts
};

// The V0 of a record at a day of a period, linear in time between the
// nearest recommendations before and after it within half the window,
// both in the record's period; nothing otherwise (the record stays at
// level 1.5). Its uncertainty: the two recommendations' standard errors
// interpolated alike, and half their difference, in quadrature.
std::optional<V0Niveau2> InterpolerV0(const std::vector<RecommandationDatee>& recommandations,
                                      double jour, int periode,
                                      const ReglagesEtalonnage& reglages = {});

// The same between two given knots of one period, `jour` between them.
V0Niveau2 InterpolerEntre(const RecommandationDatee& avant, const RecommandationDatee& apres,
                          double jour);

struct ProfondeurNiveau2 {
    double profondeur = 0, incertitude = 0;
};

// A recomputed record's aerosol depth with that V0 (science/aerosol), the
// site's altitude giving the ozone's air mass. Its uncertainty is the
// aerosol functions', with V0's own relative uncertainty. Nothing where the
// record has no depth to give.
std::optional<ProfondeurNiveau2> ProfondeurAvecV0(const Resultat& r, Voie voie, const V0Niveau2& v0,
                                                  double altitudeM,
                                                  const IncertitudesEntrees& u = {});

// A screened record at level 1.5 taken to level 2.0: both depths, α and
// their uncertainties computed again with those V0s (u(α) from both
// channels' own V0 uncertainties). False, the record unchanged, when it is
// not at level 1.5 or its green depth cannot be computed.
bool PasserNiveau2(Resultat& r, const V0Niveau2& vert, const V0Niveau2& rouge, double altitudeM,
                   double lambdaVert = 505, double lambdaRouge = 625,
                   const IncertitudesEntrees& u = {});

}  // namespace science
