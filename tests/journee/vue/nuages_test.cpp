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

}  // namespace
}  // namespace journee
