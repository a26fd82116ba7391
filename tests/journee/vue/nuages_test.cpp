// The day plot of the aerosol depths: records the cloud screening set aside
// drawn faded with their reason, the uncertainty as a band, lines broken
// across gaps.

#include <gtest/gtest.h>

#include <QAreaSeries>
#include <QDir>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <set>

#include "journee/troncons.h"
#include "platform/numbers.h"
#include "tests/journee/vue/outils.h"

namespace journee {
namespace {

// A clear morning with clouds from 10:00 to 10:40, shown in a day view.
struct MatineeNuageuse {
    Dossier dossier;
    std::string chemin = dossier.Fichier("nuages.txt");
    std::unique_ptr<FenetreJournee> vue;

    MatineeNuageuse() {
        std::vector<std::string> lignes = EnTeteMatineeClaire();
        for (auto& l : EnregistrementsMatineeClaire(2.12, 2.05, 0.005, 30, {{36000, 38400}}))
            lignes.push_back(std::move(l));
        WriteTextFile(chemin, lignes);
        vue = std::make_unique<FenetreJournee>(ReglagesLyon(),
                                               QString::fromStdString(dossier.chemin));
        vue->Ouvrir(QString::fromStdString(chemin));
        vue->resize(1000, 700);
        vue->show();
        QApplication::processEvents();
    }
};

// Every series of that name, in the chart's order.
std::vector<QXYSeries*> Series(FenetreJournee& f, const QString& nom) {
    std::vector<QXYSeries*> s;
    for (QAbstractSeries* a : f.VueJour()->chart()->series())
        if (a->name() == nom) s.push_back(qobject_cast<QXYSeries*>(a));
    return s;
}

// Their points, in time order: a curve's first series may hold none, its
// twin the rest.
std::vector<QPointF> Points(const std::vector<QXYSeries*>& series) {
    std::vector<QPointF> points;
    for (QXYSeries* s : series)
        for (const QPointF& p : s->points()) points.push_back(p);
    std::sort(points.begin(), points.end(),
              [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    return points;
}

QString Survoler(QXYSeries* serie, const QPointF& point) {
    emit serie->hovered(point, true);
    const QString texte = QToolTip::text();
    emit serie->hovered(point, false);
    return texte;
}

TEST(NuagesJournee, CloudyRecordsAreFadedWithTheirReasonAndTheLineBreaksAcrossThem) {
    MatineeNuageuse m;
    FenetreJournee& f = *m.vue;
    const auto& points = f.Modele().Points();
    const auto& resultats = f.Modele().Resultats();
    // Every record is drawn, kept or faded.
    EXPECT_EQ(f.PointsTraces(), 4u * points.size());

    // The faded points, over the series that draw them.
    const auto estompees = Series(f, "EO verte (écartée)");
    ASSERT_FALSE(estompees.empty());
    QXYSeries* estompee = estompees.front();
    std::set<std::pair<double, double>> faibles;
    for (QXYSeries* s : estompees)
        for (const QPointF& p : s->points()) faibles.emplace(p.x(), p.y());
    size_t dansLeNuage = 0;
    for (const auto& [x, y] : faibles) dansLeNuage += x >= 10 && x < 10 + 40.0 / 60;
    EXPECT_GE(dansLeNuage, 72u) << "most of the 80 cloudy records";

    // Each faded point says why, in French; a kept one says it is level 1.5.
    std::set<std::string> vus;
    for (const auto& [x, y] : faibles) {
        const QPointF p(x, y);
        const QString texte = Survoler(estompee, p);
        EXPECT_TRUE(texte.contains("Écartée par le filtrage des nuages (niveau 1,0) :</i> "))
            << texte.toStdString();
        for (const PointJournee& point : points)
            if (point.heure == p.x()) {
                const std::string filtre = resultats[point.resultat].Filtre();
                vus.insert(filtre);
                EXPECT_FALSE(texte.contains(QString::fromStdString(filtre)))
                    << "the raw name: " << filtre;
                if (filtre == "triplet") {
                    EXPECT_TRUE(texte.contains("trop variable d'une mesure à l'autre"))
                        << texte.toStdString();
                }
            }
    }
    EXPECT_TRUE(vus.count("triplet")) << "the cloud's records fail on their neighbours";

    const auto verte = Series(f, "EO verte");
    ASSERT_FALSE(verte.empty());
    const auto kept = Points(verte);
    ASSERT_GT(kept.size(), 10u);
    const QPointF dixieme = kept[10];
    const QString clair = Survoler(verte.front(), dixieme);
    EXPECT_TRUE(clair.contains("Niveau 1,5 : ciel clair")) << clair.toStdString();
    EXPECT_FALSE(clair.contains("Écartée"));

    // The kept line: no stretch drawn across more than ten minutes, and
    // drawn again after the cloud.
    bool apres = false;
    for (QXYSeries* s : verte) {
        const QList<QPointF> l = s->points();
        for (qsizetype k = 1; k < l.size(); ++k)
            EXPECT_LE(l[k].x() - l[k - 1].x(), TrouMax)
                << "joined across the cloud at " << l[k].x();
        for (const QPointF& p : l) apres = apres || p.x() > 10.8;
    }
    EXPECT_TRUE(apres);

    // One legend entry per quantity, whatever the pieces.
    QStringList legende;
    for (QLegendMarker* marque : f.VueJour()->chart()->legend()->markers())
        if (marque->isVisible()) legende << marque->label();
    EXPECT_EQ(legende, QStringList({"EO verte", "EO rouge", "α", "élévation du soleil"}));

    Capturer(f, "journee_nuages");
}

TEST(NuagesJournee, EachDepthHasABandFromValueMinusUncertaintyToValuePlusUncertainty) {
    MatineeOuverte m;
    FenetreJournee& f = *m.vue;
    QApplication::processEvents();
    QXYSeries* verte = SerieNommee(f, "EO verte");
    ASSERT_NE(verte, nullptr);
    const auto kept = Points(Series(f, "EO verte"));
    ASSERT_GT(kept.size(), 10u);
    const QPointF point = kept[10];
    const PointJournee* trouve = nullptr;
    for (const PointJournee& p : f.Modele().Points())
        if (p.heure == point.x()) trouve = &p;
    ASSERT_NE(trouve, nullptr);
    const science::Resultat& r = f.Modele().Resultats()[trouve->resultat];
    ASSERT_TRUE(r.uEoVert && r.uEoRouge);
    EXPECT_GT(*r.uEoVert, 0);

    // The green band holds the record at value ± u; the red one its own.
    size_t bandes = 0;
    for (const double u : {*r.uEoVert, *r.uEoRouge}) {
        const double valeur = u == *r.uEoVert ? *trouve->eoVert : *trouve->eoRouge;
        bool vue = false;
        for (QAbstractSeries* s : f.VueJour()->chart()->series()) {
            const auto* bande = qobject_cast<QAreaSeries*>(s);
            if (bande == nullptr) continue;
            ++bandes;
            const QList<QPointF> haut = bande->upperSeries()->points();
            const QList<QPointF> bas = bande->lowerSeries()->points();
            ASSERT_EQ(haut.size(), bas.size());
            for (qsizetype k = 0; k < haut.size(); ++k)
                if (haut[k].x() == point.x() && std::abs(haut[k].y() - (valeur + u)) < 1e-12) {
                    EXPECT_NEAR(bas[k].y(), valeur - u, 1e-12);
                    vue = true;
                }
        }
        EXPECT_TRUE(vue) << "no band at " << point.x() << " for " << valeur << " ± " << u;
    }
    EXPECT_GT(bandes, 0u);
    // Shown in the tooltip too, with a decimal comma.
    emit verte->hovered(point, true);
    EXPECT_TRUE(QToolTip::text().contains(QString::fromStdString(
        "EO verte : " + FormatFixe(*trouve->eoVert, 3) + " ± " + FormatFixe(*r.uEoVert, 3))))
        << QToolTip::text().toStdString();
    emit verte->hovered(point, false);

    // Without a site the depths are as recorded, with no uncertainty: no band.
    MatineeOuverte sans(false);
    for (QAbstractSeries* s : sans.vue->VueJour()->chart()->series())
        EXPECT_EQ(qobject_cast<QAreaSeries*>(s), nullptr);
}

// A file written by hand from the clear morning's records, shown in a day
// view; `changer` rewrites each record (or drops it, returning false).
template <typename Changer>
std::unique_ptr<FenetreJournee> Ouvrir(Dossier& d, Changer changer) {
    std::vector<std::string> lignes = EnTeteMatineeClaire();
    for (std::string& l : EnregistrementsMatineeClaire(2.12, 2.05))
        if (changer(l)) lignes.push_back(l);
    const std::string chemin = d.Fichier("matin.txt");
    WriteTextFile(chemin, lignes);
    auto vue = std::make_unique<FenetreJournee>(ReglagesLyon(), QString::fromStdString(d.chemin));
    vue->Ouvrir(QString::fromStdString(chemin));
    vue->resize(1000, 700);
    vue->show();
    QApplication::processEvents();
    return vue;
}

// The record's local time in hours, from its "Mode;HH:MM:SS  ;..." line.
double Heure(const std::string& ligne) {
    const size_t h = ligne.find(';') + 1;
    return std::stoi(ligne.substr(h, 2)) + std::stoi(ligne.substr(h + 3, 2)) / 60.0 +
           std::stoi(ligne.substr(h + 6, 2)) / 3600.0;
}

QValueAxis* AxeProfondeurs(FenetreJournee& f) {
    for (QAbstractAxis* a : f.VueJour()->chart()->axes(Qt::Vertical))
        if (a->titleText() == "Épaisseur optique") return qobject_cast<QValueAxis*>(a);
    return nullptr;
}

TEST(NuagesJournee, AContinuousRunHasItsBandAndBreaksAcrossAGapLikeASingleOne) {
    // Continuous readings all morning but from 09:30 to 09:45.
    Dossier d;
    auto vue = Ouvrir(d, [](std::string& l) {
        l.replace(0, l.find(';'), "Continu");
        return Heure(l) < 9.5 || Heure(l) > 9.75;
    });
    FenetreJournee& f = *vue;
    const auto verte = Series(f, "EO verte (continu)");
    ASSERT_FALSE(verte.empty());
    EXPECT_EQ(Series(f, "EO verte").size(), 0u);
    EXPECT_EQ(f.PointsTraces(), 4u * f.Modele().Points().size());
    // The points before and after the gap are in pieces of their own.
    bool avant = false, apres = false;
    for (QXYSeries* s : verte) {
        const QList<QPointF> l = s->points();
        for (qsizetype k = 1; k < l.size(); ++k)
            EXPECT_FALSE(Trou(l[k - 1].x(), l[k].x())) << "a piece across the gap at " << l[k].x();
        for (const QPointF& p : l) {
            avant = avant || p.x() < 9.5;
            apres = apres || p.x() > 9.75;
        }
    }
    EXPECT_TRUE(avant && apres);

    // Bands around the points, value ± u, neither across the gap.
    const PointJournee* point = nullptr;
    for (const PointJournee& p : f.Modele().Points())
        if (p.heure > 10 && p.eoVert) {
            point = &p;
            break;
        }
    ASSERT_NE(point, nullptr);
    const double u = *f.Modele().Resultats()[point->resultat].uEoVert;
    size_t bandes = 0;
    bool autour = false;
    for (QAbstractSeries* s : f.VueJour()->chart()->series()) {
        const auto* bande = qobject_cast<QAreaSeries*>(s);
        if (bande == nullptr) continue;
        ++bandes;
        const QList<QPointF> haut = bande->upperSeries()->points();
        const QList<QPointF> bas = bande->lowerSeries()->points();
        ASSERT_EQ(haut.size(), bas.size());
        for (qsizetype k = 0; k < haut.size(); ++k) {
            if (k > 0) {
                EXPECT_FALSE(Trou(haut[k - 1].x(), haut[k].x())) << "a band across the gap";
            }
            if (haut[k].x() == point->heure &&
                std::abs(haut[k].y() - (*point->eoVert + u)) < 1e-12) {
                EXPECT_NEAR(bas[k].y(), *point->eoVert - u, 1e-12);
                autour = true;
            }
        }
    }
    EXPECT_GE(bandes, 4u) << "green and red, before and after the gap";
    EXPECT_TRUE(autour) << "no band at " << point->heure;
}

TEST(NuagesJournee, TheDepthAxisFitsTheClearSkyAndCloudsAtTauTwoFallOutsideIt) {
    // Thick clouds from 10:00 to 10:40: the sun all but gone (τ 1 to 2),
    // changing from one record to the next.
    Dossier d;
    int n = 0;
    auto vue = Ouvrir(d, [&n](std::string& l) {
        static const char* const Voiles[] = {"0,015;0,20;0,015", "0,060;0,20;0,070",
                                             "0,020;0,20;0,025"};
        if (Heure(l) >= 10 && Heure(l) < 10 + 40.0 / 60)
            l = l.substr(0, l.find(';') + 12) + Voiles[n++ % 3] + ";0,10;21";
        return true;
    });
    FenetreJournee& f = *vue;
    QValueAxis* axe = AxeProfondeurs(f);
    ASSERT_NE(axe, nullptr);
    double haut = 0;
    for (const PointJournee& p : f.Modele().Points())
        if (p.eoVert && p.heure >= 10.1 && p.heure < 10.5) haut = std::max(haut, *p.eoVert);
    ASSERT_GT(haut, 1.5);
    EXPECT_EQ(axe->min(), 0);
    EXPECT_LT(axe->max(), 1) << "squashed by the clouds";
    EXPECT_GE(axe->max(), 0.2) << "the clear sky's values and bands";

    // The cloudy records are still drawn, beyond the axis, and say their value.
    const auto estompees = Series(f, "EO verte (écartée)");
    ASSERT_FALSE(estompees.empty());
    const auto faibles = Points(estompees);
    const auto dehors = std::find_if(faibles.begin(), faibles.end(),
                                     [&](const QPointF& p) { return p.y() > axe->max(); });
    ASSERT_NE(dehors, faibles.end());
    const QString texte = Survoler(estompees.front(), *dehors);
    EXPECT_TRUE(texte.contains("EO verte : " + QString::fromStdString(FormatFixe(dehors->y(), 3))))
        << texte.toStdString();

    // Where nothing is kept (two readings are too few to judge), the axis
    // takes every value.
    Dossier d2;
    auto deux = Ouvrir(d2, [](std::string& l) {
        if (Heure(l) < 10 || Heure(l) > 10 + 1.0 / 60) return false;
        l = l.substr(0, l.find(';') + 12) + "0,015;0,20;0,015;0,10;21";
        return true;
    });
    ASSERT_EQ(deux->Modele().Points().size(), 3u);
    double plus = 0;
    for (const PointJournee& p : deux->Modele().Points()) plus = std::max(plus, *p.eoVert);
    EXPECT_GE(AxeProfondeurs(*deux)->max(), plus);
}

}  // namespace
}  // namespace journee
