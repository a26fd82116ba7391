// The day view's window on the offscreen platform: captures, live follow of
// a file written at the instrument's rate, the site form, pictures and CSV
// saved, zoom and range by keyboard and mouse.

#include "journee/fenetre.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>
#include <QXYSeries>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <thread>

#include "journee/ligne_etat.h"
#include "journee/troncons.h"
#include "journee/vue_graphique.h"
#include "platform/numbers.h"
#include "platform/textfile.h"
#include "recording/lignes.h"
#include "science/export_csv.h"
#include "tests/journee/vue/outils.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"

namespace journee {
namespace {

// Each curve's points as drawn, by name: a curve can be drawn by more than
// one series, the next taking up from the last point of the one before. The
// pieces are taken in time order, whatever order the chart holds them in.
std::map<QString, std::vector<std::pair<double, double>>> CourbesDessinees(FenetreJournee& f) {
    std::map<QString, std::vector<QList<QPointF>>> morceaux;
    for (QAbstractSeries* s : f.VueJour()->chart()->series()) {
        const auto* xy = qobject_cast<QXYSeries*>(s);
        if (xy == nullptr) continue;  // the uncertainty's bands
        // Records set aside for a while during the follow leave an empty series.
        if (!xy->points().empty()) morceaux[s->name()].push_back(xy->points());
    }
    std::map<QString, std::vector<std::pair<double, double>>> courbes;
    for (auto& [nom, series] : morceaux) {
        std::stable_sort(series.begin(), series.end(), [](const auto& a, const auto& b) {
            return a.front().x() < b.front().x();
        });
        auto& points = courbes[nom];
        for (const QList<QPointF>& serie : series) {
            // A piece after a gap starts afresh; the others take up the line.
            if (!points.empty() && !Trou(points.back().first, serie.front().x())) {
                EXPECT_EQ(points.back(), std::pair(serie.front().x(), serie.front().y()))
                    << nom.toStdString() << ": the line is broken";
            }
            for (const QPointF& p : serie)
                if (points.empty() || points.back() != std::pair{p.x(), p.y()})
                    points.emplace_back(p.x(), p.y());
        }
    }
    return courbes;
}

TEST(FenetreJournee, CapturesOfTheDayTheLangleyFitAndAMissingSite) {
    MatineeOuverte m;
    FenetreJournee& f = *m.vue;
    EXPECT_TRUE(f.AvisSite()->isHidden());
    // Green, red, α and the sun for each of the 441 records.
    EXPECT_EQ(f.PointsTraces(), 4u * 441u);
    Capturer(f, "journee_jour");

    f.ChoisirDemiJournee(DemiJournee::Matin);
    EXPECT_EQ(f.Onglets()->currentWidget(), f.PageLangley());
    ASSERT_TRUE(f.LangleyCourant());
    EXPECT_TRUE(f.LangleyCourant()->verdict.bon);
    EXPECT_TRUE(f.Verdict()->text().contains("Ciel assez stable"));
    EXPECT_TRUE(f.BoutonReport()->isEnabled());
    Capturer(f, "journee_langley");

    MatineeOuverte sans(false);
    FenetreJournee& g = *sans.vue;
    EXPECT_FALSE(g.AvisSite()->isHidden());
    EXPECT_TRUE(g.AvisSite()->text().contains("Site de mesure inconnu"));
    // The depths as recorded, no sun.
    EXPECT_EQ(g.PointsTraces(), 3u * 441u);
    Capturer(g, "journee_sans_site");
    g.ChoisirDemiJournee(DemiJournee::Matin);
    EXPECT_FALSE(g.LangleyCourant());
    EXPECT_TRUE(g.Verdict()->text().contains("saisissez le site"));
    EXPECT_FALSE(g.BoutonReport()->isEnabled());
}

TEST(FenetreJournee, FollowsAFileWrittenAt240LinesASecond) {
    Dossier d;
    const std::string chemin = d.Fichier("direct.txt");
    WriteTextFile(chemin, EnTeteMatineeClaire());
    const auto lignes = EnregistrementsMatineeClaire(2.12, 2.05, 0.005, 5);
    // More points than the plot has columns: thinned as they come.
    ASSERT_GT(lignes.size(), 2500u);

    FenetreJournee f(ReglagesLyon(), QString::fromStdString(d.chemin));
    ASSERT_TRUE(f.Ouvrir(QString::fromStdString(chemin)));
    f.show();
    std::atomic<bool> fini = false;
    std::thread ecrivain([&] {
        std::ofstream sortie(chemin, std::ios::binary | std::ios::app);
        auto prochaine = std::chrono::steady_clock::now();
        for (const auto& l : lignes) {
            std::this_thread::sleep_until(prochaine);
            prochaine += std::chrono::microseconds(1000000 / 240);
            sortie << l << "\r\n";
            sortie.flush();
        }
        fini = true;
    });
    // Points arrive while the writer writes, not all at its end.
    const bool enCours = Attendre([&] { return f.Modele().Points().size() > 100; });
    const bool avantLaFin = !fini;
    const bool tout = Attendre([&] { return fini && f.Modele().Points().size() == lignes.size(); });
    ecrivain.join();
    ASSERT_TRUE(enCours);
    EXPECT_TRUE(avantLaFin);
    ASSERT_TRUE(tout) << f.Modele().Points().size();
    for (size_t i = 0; i < lignes.size(); ++i)
        ASSERT_EQ(f.Modele().Points()[i].ligne, 9 + i) << "each line once, in order";
    EXPECT_EQ(f.PointsTraces(), 4u * lignes.size());
    EXPECT_TRUE(f.Modele().Journee().anomalies.empty());
    EXPECT_TRUE(Attendre([&] {
        return f.EtatFichier()->text().contains(QString("%1 mesure(s)").arg(lignes.size()));
    })) << f.EtatFichier()->text().toStdString();

    // Drawn as it grew, each curve shows what a view opened on the whole
    // file shows over the same hours.
    FenetreJournee entiere(ReglagesLyon(), QString::fromStdString(d.chemin));
    ASSERT_TRUE(entiere.Ouvrir(QString::fromStdString(chemin)));
    entiere.show();
    const auto heures = [](FenetreJournee& v) {
        return qobject_cast<QValueAxis*>(v.VueJour()->chart()->axes(Qt::Horizontal).front());
    };
    heures(entiere)->setRange(heures(f)->min(), heures(f)->max());
    // The same scales too: the labels' widths set the plot's, and so its columns.
    const auto verticaux = [](FenetreJournee& v) {
        return v.VueJour()->chart()->axes(Qt::Vertical);
    };
    for (qsizetype i = 0; i < verticaux(f).size() && i < verticaux(entiere).size(); ++i)
        if (auto* a = qobject_cast<QValueAxis*>(verticaux(entiere)[i]))
            if (auto* b = qobject_cast<QValueAxis*>(verticaux(f)[i]))
                a->setRange(b->min(), b->max());
    QApplication::processEvents();
    const auto courbes = CourbesDessinees(f);
    // The four curves, and the faded points of the three measured ones: over
    // 2,600 readings the noise puts a few beyond three standard deviations.
    EXPECT_EQ(courbes.size(), 7u);
    EXPECT_EQ(courbes, CourbesDessinees(entiere));

    // Nobody writes any more: the view sleeps, with its count up to date.
    // Replaced under it, the file is read again from its first line.
    ASSERT_TRUE(Attendre([&] { return f.Endormie(); }));
    EXPECT_TRUE(f.EtatFichier()->text().contains(QString("%1 mesure(s)").arg(lignes.size())));
    WriteTextFile(d.Fichier("nouveau.txt"), EnTeteMatineeClaire());
    std::rename(d.Fichier("nouveau.txt").c_str(), chemin.c_str());
    ASSERT_TRUE(Attendre([&] { return f.Modele().Points().empty(); }));
    EXPECT_EQ(f.PointsTraces(), 0u);
    // Asleep again, it wakes for a single line.
    ASSERT_TRUE(Attendre([&] { return f.Endormie(); }));
    std::ofstream(chemin, std::ios::binary | std::ios::app) << lignes[0] << "\r\n";
    EXPECT_TRUE(Attendre([&] { return f.Modele().Points().size() == 1; }, 2000));
}

// Clouds pass while the file grows: each new line can set aside (or take
// back) records before it. Drawn as it grew, the plot is the one drawn from
// the whole file: kept lines, faded points and their pieces.
TEST(FenetreJournee, FollowingACloudyMorningDrawsWhatTheWholeFileDraws) {
    Dossier d;
    const std::string chemin = d.Fichier("nuages.txt");
    WriteTextFile(chemin, EnTeteMatineeClaire());
    const auto lignes = EnregistrementsMatineeClaire(2.12, 2.05, 0.005, 30, {{36000, 38400}});
    FenetreJournee f(ReglagesLyon(), QString::fromStdString(d.chemin));
    ASSERT_TRUE(f.Ouvrir(QString::fromStdString(chemin)));
    f.show();
    {
        std::ofstream sortie(chemin, std::ios::binary | std::ios::app);
        for (size_t i = 0; i < lignes.size(); ++i) {
            sortie << lignes[i] << "\r\n";
            // A few lines at a time, so that the screening changes behind.
            if (i % 3 != 2 && i + 1 != lignes.size()) continue;
            sortie.flush();
            f.Actualiser();
            QApplication::processEvents();
        }
    }
    ASSERT_EQ(f.Modele().Points().size(), lignes.size());
    FenetreJournee entiere(ReglagesLyon(), QString::fromStdString(d.chemin));
    ASSERT_TRUE(entiere.Ouvrir(QString::fromStdString(chemin)));
    entiere.show();
    const auto heures = [](FenetreJournee& v) {
        return qobject_cast<QValueAxis*>(v.VueJour()->chart()->axes(Qt::Horizontal).front());
    };
    heures(entiere)->setRange(heures(f)->min(), heures(f)->max());
    QApplication::processEvents();
    const auto courbes = CourbesDessinees(f);
    EXPECT_TRUE(courbes.count("EO verte (écartée)"));
    EXPECT_EQ(courbes, CourbesDessinees(entiere));
    EXPECT_EQ(f.PointsTraces(), entiere.PointsTraces());
}

// Records taken before sunrise as the program writes them at night: the dark
// voltage and no depth, every ten minutes from `debut` to `fin` (local, s).
std::vector<std::string> Nuit(int debut, int fin) {
    std::vector<std::string> lignes;
    for (int t = debut; t <= fin; t += 600) {
        char heure[32];
        std::snprintf(heure, sizeof heure, "%02d:%02d:%02d  ", t / 3600, t / 60 % 60, t % 60);
        lignes.push_back(recording::LigneEnregistrement("Simple", heure, "0,010", "------", "0,010",
                                                        "------", "21"));
    }
    return lignes;
}

TEST(FenetreJournee, RecordsWithTheSunBelowTheHorizonAreSaidAndMarked) {
    Dossier d;
    const struct {
        const char* comment;
        bool avecJour;
        size_t nuit;
        const char* phrase;
    } cas[] = {
        {"a night demonstration", false, 13,
         "Aucune épaisseur optique : le soleil était sous l'horizon pour les 13 enregistrements "
         "entre 05:00:00 et 07:00:00 (soleil de "},
        {"the night before a morning", true, 13,
         "13 enregistrements sur 454 sans épaisseur optique : le soleil était sous l'horizon "
         "entre 05:00:00 et 07:00:00 (soleil de "},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.comment);
        const std::string chemin = d.Fichier(std::string(c.comment) + ".txt");
        std::vector<std::string> lignes = EnTeteMatineeClaire();
        for (auto& l : Nuit(5 * 3600, 7 * 3600)) lignes.push_back(l);
        if (c.avecJour)
            for (auto& l : EnregistrementsMatineeClaire(2.12, 2.05)) lignes.push_back(l);
        WriteTextFile(chemin, lignes);

        FenetreJournee f(ReglagesLyon(), QString::fromStdString(d.chemin));
        ASSERT_TRUE(f.Ouvrir(QString::fromStdString(chemin)));
        f.show();
        EXPECT_TRUE(f.AvisNuit()->isVisible());
        EXPECT_TRUE(f.AvisNuit()->text().contains(QString::fromUtf8(c.phrase)))
            << f.AvisNuit()->text().toStdString();
        // One mark per night record, at the foot of the plot, on its hour.
        ASSERT_NE(f.MarquesNuit(), nullptr);
        const auto courbes = CourbesDessinees(f);
        const auto& marques = courbes.at("soleil sous l'horizon");
        ASSERT_EQ(marques.size(), c.nuit);
        EXPECT_NEAR(marques.front().first, 5.0, 1e-9);
        EXPECT_NEAR(marques.back().first, 7.0, 1e-9);
        for (const auto& [heure, y] : marques) EXPECT_LT(y, 0.05) << heure;
        const auto* axe = static_cast<QValueAxis*>(f.MarquesNuit()->attachedAxes().last());
        EXPECT_FALSE(axe->isVisible());
        EXPECT_EQ(axe->min(), 0);
        // The time axis spans the night too.
        EXPECT_LT(static_cast<QValueAxis*>(f.MarquesNuit()->attachedAxes().first())->min(), 5.0);
        if (!c.avecJour) Capturer(f, "journee_nuit");

        // Without a site nothing is known of the sun: nothing said.
        FenetreJournee g(ReglagesLyon(false), QString::fromStdString(d.chemin));
        ASSERT_TRUE(g.Ouvrir(QString::fromStdString(chemin)));
        EXPECT_TRUE(g.AvisNuit()->isHidden());
        EXPECT_EQ(g.MarquesNuit(), nullptr);
    }
    // A clear morning: no banner, no marks.
    MatineeOuverte m;
    EXPECT_TRUE(m.vue->AvisNuit()->isHidden());
    EXPECT_EQ(m.vue->MarquesNuit(), nullptr);
}

TEST(FenetreJournee, EnterInAnyFieldOfTheSiteFormSavesIt) {
    MatineeOuverte m(false);
    FenetreJournee& f = *m.vue;
    const std::string fichierSite = m.dossier.Fichier(science::NomFichierSite);
    const struct {
        const char* champ;
        QWidget* entree;
        double latitude;
        const char* fuseau;
        bool tape = false;  // typed key by key, with the completion's list open
    } cas[] = {
        {"latitude", f.EntreeLatitude(), 45.1, "UTC+1"},
        {"longitude", f.EntreeLongitude(), 45.2, "Europe/Paris"},
        {"altitude", f.EntreeAltitude(), 45.3, ""},
        {"time zone", f.EntreeFuseau()->lineEdit(), 45.4, "UTC+2"},
        {"time zone, typed", f.EntreeFuseau()->lineEdit(), 45.5, "Europe/Lisbon", true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.champ);
        f.EntreeLatitude()->setText(QString::fromStdString(FormatFixe(c.latitude, 1)));
        f.EntreeLongitude()->setText("4,8357");
        f.EntreeAltitude()->setText("170");
        f.EntreeFuseau()->setCurrentText(c.tape ? "" : c.fuseau);
        c.entree->setFocus();
        if (c.tape) QTest::keyClicks(c.entree, c.fuseau);
        QTest::keyClick(c.entree, Qt::Key_Return);
        EXPECT_TRUE(f.MessageSite()->text().startsWith("Site enregistré"))
            << f.MessageSite()->text().toStdString();
        const science::Site lu = science::LireSite(fichierSite);
        EXPECT_DOUBLE_EQ(lu.latitude, c.latitude);
        EXPECT_EQ(lu.fuseau, c.fuseau);
    }
    // A zone typed is saved, not added to the list.
    EXPECT_EQ(f.EntreeFuseau()->findText("UTC+2"), -1);
}

TEST(FenetreJournee, TheSiteFormChecksSavesAndRecomputes) {
    MatineeOuverte m(false);
    FenetreJournee& f = *m.vue;
    const std::string fichierSite = m.dossier.Fichier(science::NomFichierSite);
    const struct {
        const char *latitude, *longitude, *altitude, *fuseau;
        const char* message;  // the start of what the form says
    } mauvais[] = {
        {"", "4,8", "170", "", "La latitude n'est pas un nombre."},
        {"45,7", "est", "170", "", "La longitude n'est pas un nombre."},
        {"45,7", "4,8", "haut", "", "L'altitude n'est pas un nombre."},
        {"95", "4,8", "170", "", "Latitude hors limites"},
        {"45,7", "4,8", "170", "Lune/Mer", "Fuseau horaire inconnu"},
    };
    for (const auto& m : mauvais) {
        f.EntreeLatitude()->setText(m.latitude);
        f.EntreeLongitude()->setText(m.longitude);
        f.EntreeAltitude()->setText(m.altitude);
        f.EntreeFuseau()->setCurrentText(m.fuseau);
        EXPECT_FALSE(f.EnregistrerSite()) << m.message;
        EXPECT_TRUE(f.MessageSite()->text().startsWith(QString::fromUtf8(m.message)))
            << f.MessageSite()->text().toStdString();
        EXPECT_FALSE(FileExists(fichierSite));
    }
    // By keyboard: a full stop or a comma, Enter saves.
    f.EntreeLatitude()->setText("45.764");
    f.EntreeLongitude()->setText("4,8357");
    f.EntreeAltitude()->setText("170");
    f.EntreeFuseau()->setCurrentText("UTC+1");
    QTest::keyClick(f.EntreeAltitude(), Qt::Key_Return);
    EXPECT_TRUE(f.MessageSite()->text().startsWith("Site enregistré"));
    const science::Site lu = science::LireSite(fichierSite);
    EXPECT_DOUBLE_EQ(lu.latitude, 45.764);
    EXPECT_EQ(lu.fuseau, "UTC+1");
    EXPECT_TRUE(f.AvisSite()->isHidden());
    ASSERT_TRUE(f.Modele().Points().front().elevation);
    EXPECT_EQ(f.PointsTraces(), 4u * 441u);
}

TEST(FenetreJournee, PicturesAndCsvAreSavedFromTheWindow) {
    MatineeOuverte m;
    FenetreJournee& f = *m.vue;
    const Dossier& d = m.dossier;
    const QString dossier = QString::fromStdString(d.chemin);
    ASSERT_TRUE(f.EnregistrerImage(dossier + "/jour.png"));
    EXPECT_FALSE(QImage(dossier + "/jour.png").isNull());
    f.ChoisirDemiJournee(DemiJournee::Matin);
    ASSERT_TRUE(f.EnregistrerImage(dossier + "/langley.svg"));
    const std::string svg = LireOctets(d.Fichier("langley.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    ASSERT_TRUE(f.ExporterCsv(dossier + "/jour.csv"));
    const std::string csv = LireOctets(d.Fichier("jour.csv"));
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")), science::EnTeteCsv);
    EXPECT_FALSE(f.EnregistrerImage("/pas/de/dossier/x.png"));
}

TEST(FenetreJournee, KeyboardZoomsAndARightDragChoosesTheLangleyRange) {
    MatineeOuverte m;
    FenetreJournee& f = *m.vue;
    QApplication::processEvents();
    VueGraphique* vue = f.VueJour();
    auto* axe = static_cast<QValueAxis*>(vue->chart()->axes(Qt::Horizontal).front());
    const double largeur = axe->max() - axe->min();
    QTest::keyClick(vue, Qt::Key_Plus);
    EXPECT_NEAR(axe->max() - axe->min(), largeur / 2, 1e-9);
    const double gauche = axe->min();
    QTest::keyClick(vue, Qt::Key_Right);
    EXPECT_GT(axe->min(), gauche);
    QTest::keyClick(vue, Qt::Key_0);
    EXPECT_NEAR(axe->max() - axe->min(), largeur, 1e-9);

    // A right drag across the plot: the range becomes the Langley fit's.
    const QRectF zone = vue->chart()->plotArea();
    const QPoint a(static_cast<int>(zone.left() + zone.width() * 0.3),
                   static_cast<int>(zone.center().y()));
    const QPoint b(static_cast<int>(zone.left() + zone.width() * 0.95), a.y());
    QTest::mousePress(vue->viewport(), Qt::RightButton, {}, a);
    QTest::mouseMove(vue->viewport(), b);
    QTest::mouseRelease(vue->viewport(), Qt::RightButton, {}, b);
    EXPECT_EQ(f.Onglets()->currentWidget(), f.PageLangley());
    ASSERT_TRUE(f.LangleyCourant());
    const double debut = vue->ValeurX(a.x());
    EXPECT_NEAR(f.LangleyCourant()->plage.debut / 3600.0, debut, 0.02);
}

TEST(FenetreJournee, HoveringAPointShowsItsValuesAndItsLine) {
    MatineeOuverte m;
    FenetreJournee& f = *m.vue;
    QApplication::processEvents();
    auto* verte = SerieNommee(f, "EO verte");
    ASSERT_NE(verte, nullptr);
    ASSERT_EQ(verte->name(), "EO verte");
    // The 441 records of the morning are far fewer than the plot's slices:
    // every one is drawn, the 11th is the file's line 19.
    const QPointF point = verte->points().at(10);
    emit verte->hovered(point, true);
    const QString texte = QToolTip::text();
    EXPECT_TRUE(texte.contains("<b>Ligne 19</b>, 08:25:00, mesure simple")) << texte.toStdString();
    EXPECT_TRUE(texte.contains("EO verte : " + QString::fromStdString(FormatFixe(point.y(), 3))))
        << texte.toStdString();
    EXPECT_TRUE(texte.contains("Élévation : ")) << texte.toStdString();
    emit verte->hovered(point, false);
}

}  // namespace
}  // namespace journee

// --demi-journee, as the seasons window's calibration tab asks: the Langley
// page on the half-day of the series of that date.
TEST(FenetreJournee, OpensOnTheHalfDayOfADate) {
    Dossier d;
    EcrireDeuxMatinees(d.Fichier("deux.txt"));
    journee::FenetreJournee vue(ReglagesLyon(true), QString::fromStdString(d.chemin));
    ASSERT_TRUE(vue.Ouvrir(QString::fromStdString(d.Fichier("deux.txt"))));
    vue.show();
    const struct {
        std::optional<science::Date> jour;
        std::optional<size_t> serie;
    } cas[] = {{science::Date{2026, 12, 7}, 0},
               {science::Date{2026, 12, 8}, 1},
               {science::Date{2026, 12, 9}, std::nullopt}};
    for (const auto& c : cas) {
        vue.Onglets()->setCurrentIndex(0);
        vue.ChoisirDemiJourneeDu(journee::DemiJournee::Matin, c.jour);
        EXPECT_EQ(vue.Onglets()->currentWidget(), vue.PageLangley());
        if (c.serie) {
            ASSERT_TRUE(vue.LangleyCourant());
            EXPECT_EQ(vue.LangleyCourant()->plage.serie, *c.serie);
            EXPECT_TRUE(vue.LangleyCourant()->verdict.bon);
        } else {
            EXPECT_FALSE(vue.LangleyCourant());
            EXPECT_EQ(vue.Verdict()->text(), "Aucune série du 2026-12-09 dans le fichier.");
        }
    }
}
