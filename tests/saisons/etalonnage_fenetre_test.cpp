// The calibration tab on a real archive: a season of synthetic files
// imported by the real import, its half-days drawn with their fates, the
// band and the drift, the hover and the click that opens a Langley in the
// day view, the warning for new constants, and the recommended V0s carried
// to a real main window listening on the V0 link. Its picture goes to the
// build tree's captures/ with the others.

#include <gtest/gtest.h>

#include <QAbstractSeries>
#include <QApplication>
#include <QChart>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTabWidget>
#include <QValueAxis>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/fond.h"
#include "app/journee_lien.h"
#include "archivage/ouverture_jour.h"
#include "archivage/saisons_archive.h"
#include "archive/lecture.h"
#include "platform/numbers.h"
#include "saisons/fenetre_saisons.h"
#include "saisons/onglet_etalonnage.h"
#include "saisons/vue_saisons.h"
#include "tests/saisons/saison_etalonnage.h"
#include "tests/support/attente.h"
#include "tests/support/capture.h"
#include "tests/support/dossier.h"

using namespace saisons;

namespace {

void Souris(VueSaisons* v, QEvent::Type type, QPoint ou) {
    const Qt::MouseButton bouton = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(ou), QPointF(v->viewport()->mapToGlobal(ou)), bouton,
                  type == QEvent::MouseButtonPress ? bouton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(v->viewport(), &e);
}

// Where a point of the channel's chart lies in its view.
QPoint Ici(VueSaisons* v, double x, double y) {
    return v->mapFromScene(v->chart()->mapToPosition(QPointF(x, y)));
}

class OngletEtalonnageArchive : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dossier_ = std::make_unique<Dossier>();
        ImporterSaisonEtalonnage(dossier_->chemin, Archive());
    }
    static void TearDownTestSuite() { dossier_.reset(); }
    static std::string Archive() { return dossier_->Fichier("archive.sqlite"); }

    void SetUp() override {
        f_ = std::make_unique<FenetreSaisons>(archivage::SourceArchive(Archive()),
                                              archivage::SourceEtalonnage(Archive()));
        f_->OnOuvrirDemiJournee = [this](const archive::ResumeJour& j, science::DemiJour d) {
            ouverts_.push_back({j, d});
        };
        f_->resize(1100, 760);
        f_->show();
        f_->Onglets()->setCurrentWidget(f_->Etalonnage());
        QApplication::processEvents();
    }

    static std::unique_ptr<Dossier> dossier_;
    std::unique_ptr<FenetreSaisons> f_;
    std::vector<std::pair<archive::ResumeJour, science::DemiJour>> ouverts_;
};

std::unique_ptr<Dossier> OngletEtalonnageArchive::dossier_;

TEST_F(OngletEtalonnageArchive, LesTroisSortesLaBandeEtLaDerive) {
    OngletEtalonnage& o = *f_->Etalonnage();
    // One instrument in the archive: shown without choosing it.
    ASSERT_EQ(o.TexteMessage(), "");
    for (int canal = 0; canal < 2; ++canal) {
        const CanalEtalonnage& c = o.Canal(canal);
        size_t comptes[3] = {};
        for (const PointV0& p : c.points) ++comptes[static_cast<int>(p.statut)];
        EXPECT_GT(comptes[static_cast<int>(science::StatutLangley::Accepte)], 60u) << canal;
        EXPECT_GT(comptes[static_cast<int>(science::StatutLangley::Rejete)], 10u) << canal;
        EXPECT_GE(comptes[static_cast<int>(science::StatutLangley::Aberrant)], 3u) << canal;
        // The constants changed on 21 April: two lines, two drifts.
        ASSERT_EQ(c.periodes.size(), 2u) << canal;
        const QString titre = o.Titre(canal);
        EXPECT_NE(titre.indexOf("période 1, dérive : +"), -1) << titre.toStdString();
        EXPECT_NE(titre.indexOf("période 2, dérive : "), -1) << titre.toStdString();
        // The first period is long enough for the truth's drift to show.
        ASSERT_TRUE(c.periodes[0].derive);
        EXPECT_NEAR(c.periodes[0].derive->pourCentParAn, canal == 0 ? 2.0 : 1.5, 1.5);
        // The axis holds the accepted half-days; the hazy ones fall below.
        const auto* y = qobject_cast<QValueAxis*>(o.Vue(canal)->chart()->axes(Qt::Vertical)[0]);
        size_t dessous = 0;
        for (const PointV0& p : c.points) {
            if (p.statut == science::StatutLangley::Accepte) {
                EXPECT_GE(p.v0, y->min());
                EXPECT_LE(p.v0, y->max());
            }
            dessous += p.v0 < y->min();
        }
        EXPECT_GE(dessous, 3u);
        // The legend names the three kinds in French.
        QStringList noms;
        for (QAbstractSeries* s : o.Vue(canal)->chart()->series()) noms << s->name();
        for (const char* nom : {"accepté", "rejeté", "aberrant", "V0 recommandé", "± écart type"})
            EXPECT_TRUE(noms.contains(nom)) << nom;
    }
    // The held V0 (2.09 V green) is off the truth: said above the tabs.
    EXPECT_TRUE(f_->TexteAvis().startsWith("Le photomètre n°7 a besoin de nouvelles constantes"))
        << f_->TexteAvis().toStdString();
    EXPECT_TRUE(o.BoutonReport()->isEnabled());
    EXPECT_TRUE(o.Recommandation()->text().startsWith("V0 recommandés au "));
    Capturer(*f_, "saisons_etalonnage");
}

TEST_F(OngletEtalonnageArchive, SurvolEtClicOuvrentLaDemiJournee) {
    OngletEtalonnage& o = *f_->Etalonnage();
    VueSaisons* vert = o.Vue(0);
    const CanalEtalonnage& c = o.Canal(0);
    const auto* y = qobject_cast<QValueAxis*>(vert->chart()->axes(Qt::Vertical)[0]);
    // An accepted morning, and a hazy one pinned at the foot of the scale.
    const PointV0* accepte = nullptr;
    const PointV0* hors = nullptr;
    for (const PointV0& p : c.points) {
        if (!accepte && p.statut == science::StatutLangley::Accepte && std::fmod(p.x, 1.0) < 0.5)
            accepte = &p;
        if (!hors && p.v0 < y->min()) hors = &p;
    }
    ASSERT_TRUE(accepte && hors);
    // Without a recorded history in memory, what the archive gives.
    archive::Archive a(Archive(), archive::Acces::Lecture);
    const archive::HistoriqueInstrument h = archive::Historiques(a).at(0);
    const struct {
        const PointV0* point;
        double y;  // where it is drawn
    } cas[] = {{accepte, accepte->v0}, {hors, y->min() + (y->max() - y->min()) * 0.02}};
    for (const auto& k : cas) {
        const QPoint ici = Ici(vert, k.point->x, k.y) + QPoint(2, -2);
        Souris(vert, QEvent::MouseMove, ici);
        EXPECT_EQ(o.TexteSurvol().toStdString(),
                  TexteDemiJournee(h.demiJournees[k.point->indice], h.statuts[k.point->indice]));
        Souris(vert, QEvent::MouseButtonPress, ici);
        Souris(vert, QEvent::MouseButtonRelease, ici);
    }
    ASSERT_EQ(ouverts_.size(), 2u);
    const archive::DemiJourneeArchivee& d = h.demiJournees[accepte->indice];
    EXPECT_EQ(archive::TexteDate(ouverts_[0].first.jour), archive::TexteDate(d.date));
    // The day as the first tab holds it: its site named as the archive names it.
    archive::ChoixJours ceJour;
    ceJour.du = ceJour.au = d.date;
    const auto jours = archive::Jours(a, ceJour);
    ASSERT_EQ(jours.size(), 1u);
    EXPECT_EQ(ouverts_[0].first.site, jours[0].site);
    EXPECT_EQ(ouverts_[0].first.instrument, "7");
    EXPECT_EQ(ouverts_[0].second, science::DemiJour::Matin);
    EXPECT_TRUE(o.TexteSurvol().contains("aberrant") || o.TexteSurvol().contains("rejeté"));

    // The day view's command: the file, still intact, on that morning.
    const archivage::SourceJour source = archivage::TrouverSource(a, ouverts_[0].first);
    ASSERT_TRUE(source.intact);
    const auto arguments =
        archivage::CommandeJour(Archive(), ouverts_[0].first, source, science::DemiJour::Matin);
    ASSERT_GE(arguments.size(), 2u);
    EXPECT_EQ(arguments[arguments.size() - 2], "--demi-journee");
    EXPECT_EQ(arguments.back(), archive::TexteDate(d.date) + ",matin");
    // Away from any point: no tooltip text changes, nothing opens.
    const QPoint vide = Ici(vert, c.xMin - 1.5, (y->min() + y->max()) / 2);
    Souris(vert, QEvent::MouseButtonPress, vide);
    Souris(vert, QEvent::MouseButtonRelease, vide);
    EXPECT_EQ(ouverts_.size(), 2u);
}

TEST_F(OngletEtalonnageArchive, ZoomAuClavierEtImage) {
    OngletEtalonnage& o = *f_->Etalonnage();
    const auto x = [&](int canal) {
        return qobject_cast<QValueAxis*>(o.Vue(canal)->chart()->axes(Qt::Horizontal)[0]);
    };
    const double largeur = x(0)->max() - x(0)->min();
    // + on the green chart zooms both channels alike; 0 shows every half-day again.
    o.Vue(0)->setFocus();
    QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier, "+");
    QApplication::sendEvent(o.Vue(0), &plus);
    EXPECT_LT(x(0)->max() - x(0)->min(), largeur * 0.9);
    EXPECT_DOUBLE_EQ(x(1)->min(), x(0)->min());
    EXPECT_DOUBLE_EQ(x(1)->max(), x(0)->max());
    QKeyEvent zero(QEvent::KeyPress, Qt::Key_0, Qt::NoModifier, "0");
    QApplication::sendEvent(o.Vue(1), &zero);
    EXPECT_NEAR(x(0)->max() - x(0)->min(), largeur, 1e-6);
    EXPECT_DOUBLE_EQ(x(0)->min(), x(1)->min());
    // The picture is the tab shown.
    const QString chemin = QString::fromStdString(dossier_->Fichier("etalonnage.png"));
    ASSERT_TRUE(f_->EnregistrerImage(chemin));
    const QImage image(chemin);
    EXPECT_EQ(image.size(), o.size() * image.devicePixelRatio());
}

TEST_F(OngletEtalonnageArchive, ReporterLesV0RecommandesAUneVraieFenetrePrincipale) {
    OngletEtalonnage& o = *f_->Etalonnage();
    archive::Archive a(Archive(), archive::Acces::Lecture);
    const auto h = archive::Historiques(a).at(0);
    const double vert = archive::EtatRecent(h, science::Voie::Vert)->recommandation->v0;
    const double rouge = archive::EtatRecent(h, science::Voie::Rouge)->recommandation->v0;

    // No main window yet.
    o.BoutonReport()->click();
    ASSERT_TRUE(Attendre([&] { return o.DerniereReponse().has_value(); }));
    EXPECT_FALSE(o.DerniereReponse()->acceptee);
    EXPECT_EQ(o.DerniereReponse()->texte, "La fenêtre principale de Solvenare n'est pas ouverte.");

    TF_Fond fond;
    ASSERT_TRUE(fond.Journee->Ecoute());
    fond.P_Etalonnages->SetVisible(true);
    const struct {
        const char* cas;
        bool expert;
        const char* photometre;
        bool acceptee;
        std::string texte;
        std::string v0Vert, v0Rouge;
    } cas[] = {
        {"expert entries closed", false, "7", false,
         "La fenêtre principale n'est pas en mode expert", "1,90", "1,80"},
        {"another photometer", true, "8", false,
         "Le fichier vient du photomètre n°7 ; la fenêtre principale est reliée au photomètre n°8",
         "1,90", "1,80"},
        {"expert entries open", true, "7", true, "V0 reportés dans le mode expert : verte ",
         FormatFixe(vert, 2), FormatFixe(rouge, 2)},
    };
    for (const auto& c : cas) {
        fond.LIdentificationPhotometre->SetCaption(c.photometre);
        if (c.expert)
            fond.OuvrirSaisieEtalonnages();
        else
            fond.FermerSaisieEtalonnages();
        fond.EV0Vert->SetText("1,90");
        fond.EV0Rouge->SetText("1,80");
        o.BoutonReport()->click();
        ASSERT_TRUE(Attendre([&] { return o.DerniereReponse().has_value(); })) << c.cas;
        EXPECT_EQ(o.DerniereReponse()->acceptee, c.acceptee) << c.cas;
        EXPECT_EQ(o.DerniereReponse()->texte.substr(0, c.texte.size()), c.texte) << c.cas;
        EXPECT_EQ(o.TexteReponse()->text().toStdString(), o.DerniereReponse()->texte) << c.cas;
        EXPECT_EQ(fond.EV0Vert->Text(), c.v0Vert) << c.cas;
        EXPECT_EQ(fond.EV0Rouge->Text(), c.v0Rouge) << c.cas;
    }

    // A red channel without a recommendation: nothing sent, said why.
    archive::HistoriqueInstrument sansRouge = h;
    for (size_t i = sansRouge.historique.size(); i-- > 0;)
        if (sansRouge.historique[i].voie == science::Voie::Rouge) {
            sansRouge.historique[i].accepte = false;
            sansRouge.demiJournees[i].langley.accepte = false;
        }
    sansRouge.statuts = science::Statuts(sansRouge.historique);
    o.Montrer(sansRouge);
    EXPECT_FALSE(o.BoutonReport()->isEnabled());
    EXPECT_TRUE(o.Recommandation()->text().startsWith(
        "Aucun V0 à reporter : pas de V0 recommandé pour la voie rouge"))
        << o.Recommandation()->text().toStdString();
}

}  // namespace
