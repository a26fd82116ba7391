// The seasons window on the offscreen platform, with a year of days made
// here: what it draws, the filters and spans, the hover, the click, the
// keyboard and the exports. Its pictures go to the build tree's captures/.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLegendMarker>
#include <QMenu>
#include <QMouseEvent>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QScatterSeries>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTest>
#include <QValueAxis>
#include <memory>
#include <stdexcept>

#include "saisons/csv_saisons.h"
#include "saisons/fenetre_saisons.h"
#include "saisons/graduations.h"
#include "saisons/onglet_etalonnage.h"
#include "saisons/texte_jour.h"
#include "saisons/vue_saisons.h"
#include "tests/saisons/annee.h"
#include "tests/support/capture.h"
#include "tests/support/dossier.h"

using namespace saisons;

namespace {

QValueAxis* AxeX(VueSaisons* v) {
    return qobject_cast<QValueAxis*>(v->chart()->axes(Qt::Horizontal).at(0));
}

QScatterSeries* Serie(VueSaisons* v, const QString& nom) {
    for (QAbstractSeries* s : v->chart()->series())
        if (s->name() == nom) return qobject_cast<QScatterSeries*>(s);
    return nullptr;
}

// Where a value of the time axis lies in the view, halfway up its plot.
QPoint Position(VueSaisons* v, double x) {
    const QRectF zone = v->chart()->plotArea();
    const QValueAxis* axe = AxeX(v);
    const double px = zone.left() + (x - axe->min()) / (axe->max() - axe->min()) * zone.width();
    return v->mapFromScene(QPointF(px, zone.center().y()));
}

void Souris(VueSaisons* v, QEvent::Type type, QPoint ou, Qt::MouseButton bouton) {
    const Qt::MouseButtons boutons = type == QEvent::MouseButtonPress ? bouton : Qt::NoButton;
    QMouseEvent e(type, QPointF(ou), QPointF(v->viewport()->mapToGlobal(ou)),
                  type == QEvent::MouseMove ? Qt::NoButton : bouton, boutons, Qt::NoModifier);
    QApplication::sendEvent(v->viewport(), &e);
}

void Cliquer(VueSaisons* v, const science::Date& jour) {
    const QPoint ou = Position(v, NumeroJour(jour) + 0.5);
    Souris(v, QEvent::MouseButtonPress, ou, Qt::LeftButton);
    Souris(v, QEvent::MouseButtonRelease, ou, Qt::LeftButton);
}

// The window over a year, as the program opens it.
struct Fenetre {
    std::vector<archive::ResumeJour> jours = AnneeSynthetique();
    int appels = 0;
    std::vector<archive::ResumeJour> ouverts;
    std::unique_ptr<FenetreSaisons> f;

    Fenetre() {
        f = std::make_unique<FenetreSaisons>([this](const archive::ChoixJours& choix) {
            ++appels;
            return Filtrer(jours, choix);
        });
        f->OnOuvrirJour = [this](const archive::ResumeJour& j) { ouverts.push_back(j); };
        f->resize(1100, 760);
        f->show();
        QApplication::processEvents();
    }
    size_t Compter(const std::string& site, bool niveau15) const {
        size_t n = 0;
        for (const auto& j : jours) n += (site.empty() || j.site == site) && (!niveau15 || j.vert);
        return n;
    }
};

}  // namespace

TEST(FenetreSaisons, UneAnneeDeuxSitesDeuxInstruments) {
    Fenetre w;
    FenetreSaisons& f = *w.f;
    EXPECT_EQ(w.appels, 1);
    EXPECT_TRUE(f.TexteVide().isEmpty());
    // The last year, every day of both sites; the overcast day has no median.
    EXPECT_EQ(f.PeriodeVisible(), (Periode{NumeroJour({2026, 1, 1}), NumeroJour({2027, 1, 1})}));
    EXPECT_EQ(f.JoursMontres().size(), w.jours.size());
    EXPECT_EQ(static_cast<size_t>(Serie(f.VueEpaisseurs(), "vert")->count()), w.Compter("", true));
    EXPECT_EQ(static_cast<size_t>(Serie(f.VueEpaisseurs(), "rouge")->count()), w.Compter("", true));
    EXPECT_EQ(static_cast<size_t>(Serie(f.VueAngstrom(), "α")->count()), w.Compter("", true));
    // The green and red medians sit where the day view colours them.
    EXPECT_EQ(Serie(f.VueEpaisseurs(), "vert")->color(), QColor(0x1e, 0x8c, 0x45));
    EXPECT_EQ(Serie(f.VueEpaisseurs(), "rouge")->color(), QColor(0xc6, 0x28, 0x28));
    // The marks of the time axis: the months of the year, on every chart.
    for (VueSaisons* v : {f.VueEpaisseurs(), f.VueAngstrom(), f.VueMesures()}) {
        const auto labels = qobject_cast<QCategoryAxis*>(AxeX(v))->categoriesLabels();
        ASSERT_EQ(labels.size(), 12);
        EXPECT_EQ(labels.front(), "janv. 2026");
        EXPECT_EQ(labels.back(), "déc.");
    }
    QStringList sites, instruments;
    for (int i = 0; i < f.ChoixSite()->count(); ++i) sites << f.ChoixSite()->itemText(i);
    for (int i = 0; i < f.ChoixInstrument()->count(); ++i)
        instruments << f.ChoixInstrument()->itemText(i);
    EXPECT_EQ(sites, (QStringList{"Tous", "Brest", "Lyon"}));
    EXPECT_EQ(instruments, (QStringList{"Tous", "n° 7", "n° 12"}));
    EXPECT_EQ(f.TexteEtat(), QString("%1 jours (tous les sites, tous les instruments) du 1er "
                                     "janvier 2026 au 30 décembre 2026 ; %1 à l'écran.")
                                 .arg(w.jours.size()));
    Capturer(f, "saisons");
}

TEST(FenetreSaisons, FiltresEtEtendues) {
    Fenetre w;
    FenetreSaisons& f = *w.f;
    // As a user picks in the combo boxes.
    f.ChoixSite()->setCurrentIndex(f.ChoixSite()->findText("Brest"));
    emit f.ChoixSite()->activated(f.ChoixSite()->currentIndex());
    ASSERT_EQ(f.JoursMontres().size(), w.Compter("Brest", false));
    for (const auto& j : f.JoursMontres()) EXPECT_EQ(j.site, "Brest");
    EXPECT_EQ(static_cast<size_t>(Serie(f.VueEpaisseurs(), "vert")->count()),
              w.Compter("Brest", true));
    f.ChoisirInstrument("12");
    EXPECT_TRUE(f.JoursMontres().empty());
    EXPECT_TRUE(f.TexteVide().startsWith("Aucun jour de mesures pour ce site et cet instrument."))
        << f.TexteVide().toStdString();
    f.ChoisirSite("");
    EXPECT_EQ(f.JoursMontres().size(), w.Compter("Lyon", false));
    EXPECT_TRUE(f.TexteVide().isEmpty());

    const auto n = [](int a, int m, int j) { return NumeroJour({a, m, j}); };
    f.ChoixEtendue()->setCurrentIndex(1);
    emit f.ChoixEtendue()->activated(1);
    // The month that holds the middle of the year shown.
    EXPECT_EQ(f.PeriodeVisible(), (Periode{n(2026, 7, 1), n(2026, 8, 1)}));
    f.VueAngstrom()->setFocus();
    QTest::keyClick(f.VueAngstrom(), Qt::Key_PageUp);
    QTest::keyClick(f.VueAngstrom(), Qt::Key_PageUp);
    QTest::keyClick(f.VueAngstrom(), Qt::Key_PageUp);
    EXPECT_EQ(f.PeriodeVisible(), (Periode{n(2026, 4, 1), n(2026, 5, 1)}));
    Capturer(f, "saisons_mois");
    f.ChoisirEtendue(Etendue::Semaines);
    EXPECT_EQ(f.PeriodeVisible(), (Periode{n(2026, 4, 13), n(2026, 4, 20)}));
    QTest::keyClick(f.VueMesures(), Qt::Key_PageDown);
    EXPECT_EQ(f.PeriodeVisible(), (Periode{n(2026, 4, 20), n(2026, 4, 27)}));
    Capturer(f, "saisons_semaine");
    f.ChoisirEtendue(Etendue::Annees);
    QTest::keyClick(f.VueEpaisseurs(), Qt::Key_PageDown);
    EXPECT_EQ(f.PeriodeVisible(), (Periode{n(2027, 1, 1), n(2028, 1, 1)}));

    // A new day in the archive: the filter stays, the new site is offered.
    w.jours.push_back(JourDe({2026, 12, 31}, "Nice", "12", 0.2, 0.2));
    f.Actualiser();
    EXPECT_EQ(w.appels, 2);
    EXPECT_EQ(f.ChoixInstrument()->currentText(), "n° 12");
    EXPECT_EQ(f.ChoixSite()->findText("Nice"), 3);
    EXPECT_EQ(f.JoursMontres().back().site, "Nice");
}

TEST(FenetreSaisons, ZoomAuClavierCommeLaJournee) {
    Fenetre w;
    FenetreSaisons& f = *w.f;
    f.ChoisirEtendue(Etendue::Mois);
    const auto plage = [&](VueSaisons* v) { return std::pair(AxeX(v)->min(), AxeX(v)->max()); };
    const auto avant = plage(f.VueAngstrom());
    const double centre = (avant.first + avant.second) / 2;
    f.VueAngstrom()->setFocus();
    const struct {
        Qt::Key touche;
        double largeur, centre;
    } cas[] = {
        {Qt::Key_Plus, 15.5, centre},          {Qt::Key_Plus, 7.75, centre},
        {Qt::Key_Right, 7.75, centre + 0.775}, {Qt::Key_Minus, 15.5, centre + 0.775},
        {Qt::Key_Left, 15.5, centre - 0.775},
    };
    for (const auto& c : cas) {
        QTest::keyClick(f.VueAngstrom(), c.touche);
        // The three charts keep the same days.
        for (VueSaisons* v : {f.VueEpaisseurs(), f.VueAngstrom(), f.VueMesures()}) {
            const auto [min, max] = plage(v);
            EXPECT_NEAR(max - min, c.largeur, 1e-9) << c.touche;
            EXPECT_NEAR((max + min) / 2, c.centre, 1e-9) << c.touche;
        }
        // The marks follow the zoom.
        const auto labels = qobject_cast<QCategoryAxis*>(AxeX(f.VueMesures()))->categoriesLabels();
        const auto marques = Graduations(AxeX(f.VueMesures())->min(), AxeX(f.VueMesures())->max());
        ASSERT_EQ(labels.size(), static_cast<qsizetype>(marques.size()));
        for (size_t i = 0; i < marques.size(); ++i)
            EXPECT_EQ(labels[static_cast<qsizetype>(i)].toStdString(), marques[i].texte);
    }
    // Page Up from a zoomed view goes first to the whole period it is in.
    QTest::keyClick(f.VueAngstrom(), Qt::Key_PageUp);
    EXPECT_EQ(f.PeriodeVisible(), (Periode{NumeroJour({2026, 7, 1}), NumeroJour({2026, 8, 1})}));
    // Home: every day.
    QTest::keyClick(f.VueEpaisseurs(), Qt::Key_Home);
    EXPECT_LE(AxeX(f.VueMesures())->min(), NumeroJour({2026, 1, 1}));
    EXPECT_GE(AxeX(f.VueMesures())->max(), NumeroJour({2026, 12, 31}));
    // A drag zooms on the days dragged over, and opens nothing.
    f.ChoisirEtendue(Etendue::Mois);
    VueSaisons* v = f.VueEpaisseurs();
    const double debut = NumeroJour({2026, 4, 10}), fin = NumeroJour({2026, 4, 20});
    Souris(v, QEvent::MouseButtonPress, Position(v, debut), Qt::LeftButton);
    Souris(v, QEvent::MouseButtonRelease, Position(v, fin), Qt::LeftButton);
    EXPECT_NEAR(AxeX(f.VueAngstrom())->min(), debut, 0.2);
    EXPECT_NEAR(AxeX(f.VueAngstrom())->max(), fin, 0.2);
    EXPECT_TRUE(w.ouverts.empty());
}

TEST(FenetreSaisons, SurvolDonneLesChiffresDuJour) {
    Fenetre w;
    FenetreSaisons& f = *w.f;
    const auto duJour = [&](const science::Date& d) {
        std::vector<archive::ResumeJour> ceJour;
        for (const auto& j : w.jours)
            if (NumeroJour(j.jour) == NumeroJour(d)) ceJour.push_back(j);
        return ceJour;
    };
    ASSERT_EQ(duJour({2026, 4, 15}).size(), 1u);
    ASSERT_EQ(duJour({2026, 3, 2}).size(), 2u);
    const struct {
        science::Date jour;
        std::string texte;
    } cas[] = {
        {{2026, 4, 15}, TexteJour(duJour({2026, 4, 15})[0])},
        {{2026, 3, 2}, TexteJours(duJour({2026, 3, 2}))},
        {JourCouvert,
         "10 juin 2026 — aucune valeur de niveau 1,5, 40 mesures dont 0 de niveau 1,5"},
        {{2026, 2, 10}, "10 février 2026 — aucune mesure dans l'archive"},
    };
    for (const auto& c : cas) {
        f.MontrerPeriode(PeriodeDe(Etendue::Mois, NumeroJour(c.jour)));
        for (VueSaisons* v : {f.VueEpaisseurs(), f.VueMesures()}) {
            Souris(v, QEvent::MouseMove, Position(v, NumeroJour(c.jour) + 0.9), Qt::NoButton);
            EXPECT_EQ(f.TexteSurvol().toStdString(), c.texte);
        }
    }
    EXPECT_TRUE(cas[0].texte.starts_with("15 avril 2026 — niveau 1,5 : vert 0,"));
    EXPECT_NE(cas[1].texte.find("\nBrest, n° 7 — niveau 1,5 : vert "), std::string::npos);
}

TEST(FenetreSaisons, ClicOuvreLeJour) {
    Fenetre w;
    FenetreSaisons& f = *w.f;
    f.MontrerPeriode(PeriodeDe(Etendue::Mois, NumeroJour({2026, 3, 1})));
    // One site that day: opened at once, from any chart.
    Cliquer(f.VueAngstrom(), {2026, 3, 3});
    ASSERT_EQ(w.ouverts.size(), 1u);
    EXPECT_EQ(NumeroJour(w.ouverts[0].jour), NumeroJour({2026, 3, 3}));
    EXPECT_EQ(w.ouverts[0].site, "Lyon");
    archive::ChoixJours ceJour;
    ceJour.du = ceJour.au = science::Date{2026, 3, 3};
    EXPECT_EQ(LigneCsvSaisons(w.ouverts[0]), LigneCsvSaisons(Filtrer(w.jours, ceJour).at(0)));
    // A day with nothing: nothing opens.
    f.MontrerPeriode(PeriodeDe(Etendue::Mois, NumeroJour({2026, 2, 1})));
    Cliquer(f.VueEpaisseurs(), {2026, 2, 10});
    EXPECT_EQ(w.ouverts.size(), 1u);
    // Two sites that day: a menu asks which.
    f.MontrerPeriode(PeriodeDe(Etendue::Mois, NumeroJour({2026, 3, 1})));
    Cliquer(f.VueMesures(), {2026, 3, 2});
    EXPECT_EQ(w.ouverts.size(), 1u);
    auto* menu = f.findChild<QMenu*>("choixJour");
    ASSERT_NE(menu, nullptr);
    QStringList choix;
    for (QAction* a : menu->actions()) choix << a->text();
    EXPECT_EQ(choix, (QStringList{"Lyon, n° 12", "Brest, n° 7"}));
    menu->actions().at(1)->trigger();
    ASSERT_EQ(w.ouverts.size(), 2u);
    EXPECT_EQ(w.ouverts[1].site, "Brest");
    EXPECT_EQ(NumeroJour(w.ouverts[1].jour), NumeroJour({2026, 3, 2}));
    menu->close();
    // With a site chosen, the same day opens at once.
    f.ChoisirSite("Brest");
    Cliquer(f.VueMesures(), {2026, 3, 2});
    ASSERT_EQ(w.ouverts.size(), 3u);
    EXPECT_EQ(w.ouverts[2].site, "Brest");
}

TEST(FenetreSaisons, ArchiveVideOuIllisible) {
    FenetreSaisons vide(
        [](const archive::ChoixJours&) { return std::vector<archive::ResumeJour>{}; });
    vide.resize(900, 500);
    vide.show();
    EXPECT_TRUE(vide.TexteVide().startsWith("L'archive ne contient encore aucun jour de mesures."))
        << vide.TexteVide().toStdString();
    EXPECT_TRUE(vide.TexteVide().contains("solvenare-archive importer"));
    // Every action stays harmless.
    vide.VueEnsemble();
    vide.PeriodeVoisine(1);
    vide.ChoisirEtendue(Etendue::Semaines);
    QTest::keyClick(vide.VueEpaisseurs(), Qt::Key_Plus);
    Capturer(vide, "saisons_vide");

    FenetreSaisons illisible([](const archive::ChoixJours&) -> std::vector<archive::ResumeJour> {
        throw std::runtime_error("le fichier n'est pas une base de données");
    });
    EXPECT_EQ(illisible.TexteVide(),
              "Impossible de lire l'archive : le fichier n'est pas une base de données");
    EXPECT_EQ(illisible.TexteEtat(), illisible.TexteVide());
}

TEST(FenetreSaisons, Exports) {
    Dossier dossier;
    const QString base = QString::fromStdString(dossier.chemin);
    // The CSV: the days the filters keep, every one of them, byte for byte.
    std::vector<archive::ResumeJour> deux = {
        JourDe({2026, 4, 15}, "Lyon", "12", 0.5, 0.5),
        JourDe({2026, 4, 16}, "Mont \"Aigoual\", sommet", "3", 0.0, 1.0)};
    deux[1].niveau15 = 0;
    deux[1].vert = deux[1].rouge = deux[1].angstrom = std::nullopt;
    FenetreSaisons petite([&](const archive::ChoixJours& c) { return Filtrer(deux, c); });
    ASSERT_TRUE(petite.ExporterCsv(base + "/tous.csv"));
    EXPECT_EQ(LireOctets(dossier.Fichier("tous.csv")),
              std::string(EnTeteCsvSaisons) + "\r\n" +
                  "2026-04-15,Lyon,12,375,335,0.1300,0.1040,0.1690,0.1014,0.0811,0.1369,"
                  "1.150,0.900,1.350,0,1.5\r\n" +
                  "2026-04-16,\"Mont \"\"Aigoual\"\", sommet\",3,300,0,,,,,,,,,,0,\r\n");
    petite.ChoisirInstrument("3");
    ASSERT_TRUE(petite.ExporterCsv(base + "/trois.csv"));
    EXPECT_EQ(LireOctets(dossier.Fichier("trois.csv")),
              std::string(EnTeteCsvSaisons) + "\r\n" +
                  "2026-04-16,\"Mont \"\"Aigoual\"\", sommet\",3,300,0,,,,,,,,,,0,\r\n");
    EXPECT_FALSE(petite.ExporterCsv(base + "/absent/x.csv"));
    EXPECT_TRUE(petite.statusBar()->currentMessage().startsWith("Impossible d'écrire"));

    // The pictures: the three charts, as shown.
    Fenetre w;
    ASSERT_TRUE(w.f->EnregistrerImage(base + "/saisons.png"));
    ASSERT_TRUE(w.f->EnregistrerImage(base + "/saisons.svg"));
    const QImage png(base + "/saisons.png", "PNG");
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), w.f->VueEpaisseurs()->parentWidget()->size());
    EXPECT_EQ(LireOctets(dossier.Fichier("saisons.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");
    QSvgRenderer svg(base + "/saisons.svg");
    EXPECT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox().size(), png.size());
    const std::string texte = LireOctets(dossier.Fichier("saisons.svg"));
    EXPECT_NE(texte.find("<svg"), std::string::npos);
    EXPECT_GT(texte.size(), 10000u);
    // The SVG holds the plots, not only their frames: as many green medians as the PNG.
    QImage rendu(png.size(), QImage::Format_ARGB32);
    rendu.fill(Qt::white);
    QPainter peintre(&rendu);
    svg.render(&peintre);
    peintre.end();
    const auto verts = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += std::abs(c.red() - 0x1e) < 12 && std::abs(c.green() - 0x8c) < 12 &&
                     std::abs(c.blue() - 0x45) < 12;
            }
        return n;
    };
    EXPECT_GT(verts(png), 500);
    EXPECT_GT(verts(rendu), verts(png) / 2);
    QDir().mkpath(CAPTURES_DIR);
    rendu.save(CAPTURES_DIR "/saisons_export_svg.png");
    EXPECT_FALSE(w.f->EnregistrerImage(base + "/absent/x.png"));
    QDir().mkpath(CAPTURES_DIR);
    QFile::remove(CAPTURES_DIR "/saisons_export.svg");
    QFile::copy(base + "/saisons.svg", CAPTURES_DIR "/saisons_export.svg");
}

TEST(FenetreSaisons, DixAnsDUnInstrument) {
    std::vector<archive::ResumeJour> jours;
    const int debut = NumeroJour({2017, 1, 1}), fin = NumeroJour({2027, 1, 1});
    for (int n = debut; n < fin; ++n)
        jours.push_back(JourDe(DateDuNumero(n), "Lyon", "12", 0.5 + 0.5 * std::sin(n * 0.0172),
                               0.5 + 0.5 * std::sin(n * 2.7)));
    QElapsedTimer montre;
    montre.start();
    FenetreSaisons f([&](const archive::ChoixJours& c) { return Filtrer(jours, c); });
    f.resize(1100, 760);
    f.show();
    RecordProperty("construction", static_cast<int>(montre.elapsed()));
    f.VueEnsemble();
    RecordProperty("ensemble", static_cast<int>(montre.elapsed()));
    const QPixmap image = f.grab();
    RecordProperty("millisecondes", static_cast<int>(montre.elapsed()));
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(Serie(f.VueEpaisseurs(), "vert")->count(), fin - debut);
    const auto labels = qobject_cast<QCategoryAxis*>(AxeX(f.VueEpaisseurs()))->categoriesLabels();
    EXPECT_EQ(labels, (QStringList{"2017", "2018", "2019", "2020", "2021", "2022", "2023", "2024",
                                   "2025", "2026"}));
    Capturer(f, "saisons_dix_ans");
    // The keys reach the charts without a click first (a click opens a day).
    f.activateWindow();
    f.setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    // From every day, to the year in the middle.
    EXPECT_EQ(f.PeriodeVisible(), PeriodeDe(Etendue::Annees, (debut + fin) / 2));
}

TEST(FenetreSaisons, LesJoursDeNiveauDeuxSeDistinguent) {
    // From July on, the calibration history covers the days: level 2.0.
    std::vector<archive::ResumeJour> jours = AnneeSynthetique();
    for (archive::ResumeJour& j : jours)
        if (j.jour.mois >= 7 && j.vert) j.niveau20 = j.niveau15 - 10;
    FenetreSaisons f([&](const archive::ChoixJours& c) { return Filtrer(jours, c); });
    f.resize(1100, 760);
    f.show();
    f.ChoisirSite("Lyon");
    QApplication::processEvents();
    size_t deux = 0, un = 0;
    for (const auto& j : f.JoursMontres())
        if (j.vert) (j.NiveauDeux() ? deux : un)++;
    const struct {
        VueSaisons* vue;
        QString quinze, vingt;
    } cas[] = {{f.VueEpaisseurs(), "vert, niveau 1,5", "vert, niveau 2,0"},
               {f.VueEpaisseurs(), "rouge, niveau 1,5", "rouge, niveau 2,0"},
               {f.VueAngstrom(), "α, niveau 1,5", "α, niveau 2,0"}};
    for (const auto& c : cas) {
        ASSERT_NE(Serie(c.vue, c.quinze), nullptr) << c.quinze.toStdString();
        ASSERT_NE(Serie(c.vue, c.vingt), nullptr) << c.vingt.toStdString();
        EXPECT_EQ(static_cast<size_t>(Serie(c.vue, c.quinze)->count()), un);
        EXPECT_EQ(static_cast<size_t>(Serie(c.vue, c.vingt)->count()), deux);
        // Drawn apart: another shape.
        EXPECT_NE(Serie(c.vue, c.quinze)->markerShape(), Serie(c.vue, c.vingt)->markerShape());
        EXPECT_TRUE(c.vue->chart()->title().contains("niveaux 1,5 et 2,0"));
    }
    // The count: a bar of level-2.0 records over the level-1.5 one, named.
    ASSERT_NE(Serie(f.VueMesures(), "niveau 2,0"), nullptr);
    for (QLegendMarker* m :
         f.VueMesures()->chart()->legend()->markers(Serie(f.VueMesures(), "niveau 2,0")))
        EXPECT_TRUE(m->isVisible());
    // The hover names each day's level.
    const struct {
        science::Date jour;
        std::string niveau;
    } survols[] = {{{2026, 4, 15}, "15 avril 2026 — niveau 1,5 : vert "},
                   {{2026, 8, 12}, "12 août 2026 — niveau 2,0 : vert "}};
    for (const auto& s : survols) {
        f.MontrerPeriode(PeriodeDe(Etendue::Mois, NumeroJour(s.jour)));
        Souris(f.VueEpaisseurs(), QEvent::MouseMove,
               Position(f.VueEpaisseurs(), NumeroJour(s.jour) + 0.5), Qt::NoButton);
        EXPECT_TRUE(f.TexteSurvol().toStdString().starts_with(s.niveau))
            << f.TexteSurvol().toStdString();
    }
    f.MontrerPeriode(PeriodeDe(Etendue::Annees, NumeroJour({2026, 6, 1})));
    Capturer(f, "saisons_niveaux");
    // Every day at level 1.5 again: the first tab as it always was.
    for (archive::ResumeJour& j : jours) j.niveau20 = 0;
    f.Actualiser();
    EXPECT_EQ(Serie(f.VueEpaisseurs(), "vert")->count(), static_cast<int>(un + deux));
    EXPECT_EQ(Serie(f.VueEpaisseurs(), "vert, niveau 2,0")->count(), 0);
    for (QLegendMarker* m :
         f.VueMesures()->chart()->legend()->markers(Serie(f.VueMesures(), "niveau 2,0")))
        EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(f.VueEpaisseurs()->chart()->title(),
              "Épaisseurs optiques des aérosols (niveau 1,5) : médiane et étendue de chaque jour");
}

TEST(FenetreSaisons, AvisEtOngletSansHistorique) {
    // A window without a calibration source (or an archive without
    // half-days): no warning, the tab says why it is empty.
    Fenetre w;
    EXPECT_EQ(w.f->TexteAvis(), "");
    EXPECT_NE(w.f->Etalonnage()->TexteMessage().indexOf("aucune demi-journée de Langley"), -1)
        << w.f->Etalonnage()->TexteMessage().toStdString();
    // A source that fails: said in the tab, the days still shown.
    FenetreSaisons f([&](const archive::ChoixJours& c) { return Filtrer(w.jours, c); },
                     []() -> std::vector<archive::HistoriqueInstrument> {
                         throw std::runtime_error("disque illisible");
                     });
    EXPECT_EQ(f.Etalonnage()->TexteMessage(),
              "Impossible de lire l'étalonnage de l'archive : disque illisible");
    EXPECT_FALSE(f.JoursMontres().empty());
}
