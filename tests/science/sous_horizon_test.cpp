#include "science/sous_horizon.h"

#include <gtest/gtest.h>

#include <vector>

#include "science/masse_air.h"

using science::Resultat;

namespace {

// 7 December 2026, 00:00 UTC.
constexpr int64_t Minuit = 1796601600;

// A record at that UTC hour, with the air mass the elevation gives, as the
// recomputation makes it.
Resultat A(double heureUtc, double elevation, int32_t decalage = 3600) {
    Resultat r;
    r.utc = Minuit + static_cast<int64_t>(heureUtc * 3600);
    r.decalage = decalage;
    r.elevation = elevation;
    r.masseAir = science::MasseAirKastenYoung(elevation);
    return r;
}

// Without a site: nothing is known of the sun.
Resultat SansSite() {
    Resultat r;
    r.secondesHorloge = 3600;
    return r;
}

}  // namespace

TEST(SousHorizon, CountsHoursAndSentence) {
    const struct {
        const char* comment;
        std::vector<Resultat> resultats;
        size_t nombre;
        std::string phrase;
    } cas[] = {
        {"nothing", {}, 0, ""},
        {"a day", {A(8, 10.2), A(11, 21.3)}, 0, ""},
        {"without a site nothing is said", {SansSite(), SansSite()}, 0, ""},
        {"dawn: the first two of four, out of order, local time",
         {A(7.5, -1.5), A(6.25, -12.04), A(8, 2), A(9, 8)},
         2,
         "2 enregistrements sur 4 sans épaisseur optique : le soleil était sous l'horizon entre "
         "07:15:00 et 08:30:00 (soleil de -12,0° à -1,5°)."},
        {"one out of two",
         {A(16.5, -0.25), A(15, 5)},
         1,
         "1 enregistrement sur 2 sans épaisseur optique : le soleil était sous l'horizon à "
         "17:30:00 (soleil à -0,3°)."},
        {"a night demonstration: every record",
         {A(21, -59.84), A(21 + 1.0 / 60, -59.9), A(21.5, -60.1)},
         3,
         "Aucune épaisseur optique : le soleil était sous l'horizon pour les 3 enregistrements "
         "entre 22:00:00 et 22:30:00 (soleil de -60,1° à -59,8°)."},
        {"the only one",
         {A(2, -65)},
         1,
         "Aucune épaisseur optique : le soleil était sous l'horizon pour le seul enregistrement "
         "à 03:00:00 (soleil à -65,0°)."},
        {"across midnight, local",
         {A(22.5, -60), A(24 + 1, -64)},
         2,
         "Aucune épaisseur optique : le soleil était sous l'horizon pour les 2 enregistrements "
         "entre le 7/12 à 23:30:00 et le 8/12 à 02:00:00 (soleil de -64,0° à -60,0°)."},
        {"west of Greenwich, the previous local day",
         {A(1, -40, -5 * 3600), A(3, -30, -5 * 3600), A(13, 20, -5 * 3600)},
         2,
         "2 enregistrements sur 3 sans épaisseur optique : le soleil était sous l'horizon entre "
         "20:00:00 et 22:00:00 (soleil de -40,0° à -30,0°)."},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.comment);
        science::SousHorizon s;
        for (const auto& r : c.resultats) s.Ajouter(r);
        EXPECT_EQ(s.Total(), c.resultats.size());
        EXPECT_EQ(s.Nombre(), c.nombre);
        EXPECT_EQ(s.Phrase(), c.phrase);
        EXPECT_EQ(s.Premier().has_value(), c.nombre > 0);
    }
}
