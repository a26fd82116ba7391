#include "journee/onglet_langley.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "journee/apparence.h"

namespace journee {

namespace {

// Points beyond are off the Langley plot: near sunrise the air mass runs
// to 30 and would crush the useful part.
constexpr double MasseAirMontree = 8;

}  // namespace

OngletLangley::OngletLangley(const ModeleJournee& modele, QWidget* parent)
    : QWidget(parent), modele_(modele) {
    auto* disposition = new QVBoxLayout(this);
    auto* choix = new QHBoxLayout;
    choix->addWidget(new QLabel("Série :", this));
    serie_ = new QComboBox(this);
    choix->addWidget(serie_);
    auto* matin = new QPushButton("&Matin", this);
    auto* apresMidi = new QPushButton("&Après-midi", this);
    connect(matin, &QPushButton::clicked, this, [this] { ChoisirDemiJournee(DemiJournee::Matin); });
    connect(apresMidi, &QPushButton::clicked, this,
            [this] { ChoisirDemiJournee(DemiJournee::ApresMidi); });
    choix->addWidget(matin);
    choix->addWidget(apresMidi);
    choix->addWidget(new QLabel("ou glissez avec le bouton droit sur la journée", this));
    choix->addStretch(1);
    disposition->addLayout(choix);

    auto* graphiques = new QHBoxLayout;
    for (QChart** g : {&graphiqueVert_, &graphiqueRouge_}) {
        *g = new QChart;
        (*g)->legend()->setAlignment(Qt::AlignBottom);
        auto* vue = new QChartView(*g, this);
        vue->setRenderHint(QPainter::Antialiasing);
        vue->setMinimumSize(300, 260);
        graphiques->addWidget(vue, 1);
    }
    for (QChart* g : {graphiqueVert_, graphiqueRouge_}) {
        auto* x = new QValueAxis;
        x->setTitleText("Masse d'air");
        x->setLabelFormat("%.0f");
        x->setRange(0, MasseAirMontree);
        x->setTickCount(static_cast<int>(MasseAirMontree) + 1);
        auto* y = new QValueAxis;
        y->setTitleText("ln((V − Vn)·d²) + τO3·mO3");
        y->setLabelFormat("%.2f");
        g->addAxis(x, Qt::AlignBottom);
        g->addAxis(y, Qt::AlignLeft);
        Franciser(g);
    }
    graphiqueVert_->setTitle("Voie verte");
    graphiqueRouge_->setTitle("Voie rouge");
    disposition->addLayout(graphiques, 1);

    auto* resultats = new QHBoxLayout;
    resultatVert_ = new QLabel(this);
    resultatRouge_ = new QLabel(this);
    resultats->addWidget(resultatVert_, 1);
    resultats->addWidget(resultatRouge_, 1);
    disposition->addLayout(resultats);
    verdict_ = new QLabel("Choisissez une demi-journée ou une plage.", this);
    verdict_->setWordWrap(true);
    disposition->addWidget(verdict_);
    boutonReport_ = new QPushButton("&Reporter les V0 dans le mode expert", this);
    boutonReport_->setToolTip(
        "Remplit les V0 du mode expert de la fenêtre principale, s'il y est ouvert. Rien n'est "
        "écrit dans le photomètre avant que vous validiez l'étalonnage dans cette fenêtre.");
    boutonReport_->setEnabled(false);
    connect(boutonReport_, &QPushButton::clicked, this, [this] {
        if (OnReporter) OnReporter();
    });
    auto* bas = new QHBoxLayout;
    bas->addStretch(1);
    bas->addWidget(boutonReport_);
    disposition->addLayout(bas);
}

void OngletLangley::ChoisirDemiJournee(DemiJournee demi) {
    const int serie = serie_->currentIndex();
    Montrer();
    if (serie < 0) {
        verdict_->setText("Aucune série dans le fichier.");
        return;
    }
    const auto plage = PlageDemiJournee(modele_.Resultats(), static_cast<size_t>(serie), demi);
    if (!plage || !modele_.Site()) {
        langley_.reset();
        Afficher();
        verdict_->setText(
            "Sans site, pas de hauteur du soleil ni de masse d'air : saisissez le "
            "site (onglet Site) pour l'étalonnage de Langley.");
        return;
    }
    langley_ = CalculerLangley(modele_.Resultats(), *plage, modele_.Site()->altitude);
    Afficher();
}

void OngletLangley::ChoisirDemiJourneeDu(DemiJournee demi,
                                         const std::optional<science::Date>& jour) {
    const auto serie = SerieDuJour(modele_.Resultats(), modele_.Journee().series.size(), jour);
    if (!serie) {
        Montrer();
        langley_.reset();
        Afficher();
        verdict_->setText(jour ? QString("Aucune série du %1-%2-%3 dans le fichier.")
                                     .arg(jour->annee, 4, 10, QChar('0'))
                                     .arg(jour->mois, 2, 10, QChar('0'))
                                     .arg(jour->jour, 2, 10, QChar('0'))
                               : QString("Aucune série dans le fichier."));
        return;
    }
    serie_->setCurrentIndex(static_cast<int>(*serie));
    ChoisirDemiJournee(demi);
}

void OngletLangley::ChoisirPlage(double debut, double fin) {
    const auto plage = PlageHeures(modele_.Points(), modele_.Resultats(), debut, fin);
    Montrer();
    if (!plage) {
        verdict_->setText("Aucune mesure dans la plage tracée.");
        return;
    }
    serie_->setCurrentIndex(static_cast<int>(plage->serie));
    if (!modele_.Site()) {
        langley_.reset();
        Afficher();
        verdict_->setText("Sans site, pas de masse d'air : saisissez le site (onglet Site).");
        return;
    }
    langley_ = CalculerLangley(modele_.Resultats(), *plage, modele_.Site()->altitude);
    Afficher();
}

void OngletLangley::ListerSeries() {
    QStringList series;
    const auto& journee = modele_.Journee();
    for (size_t s = 0; s < journee.series.size(); ++s)
        series << QString("Série %1 (ligne %2), %3")
                      .arg(s + 1)
                      .arg(journee.series[s].enTete.ligne)
                      .arg(Q(journee.series[s].enTete.date))
                      .remove(QRegularExpression("[ -]+$"));
    const int choisie = serie_->currentIndex();
    serie_->clear();
    serie_->addItems(series);
    if (choisie >= 0 && choisie < serie_->count())
        serie_->setCurrentIndex(choisie);
    else if (serie_->count() > 0)
        serie_->setCurrentIndex(serie_->count() - 1);
}

void OngletLangley::Montrer() {
    if (OnMontrer) OnMontrer();
}

void OngletLangley::Oublier() {
    langley_.reset();
    Afficher();
}

void OngletLangley::Recalculer() {
    if (!langley_) return;
    // Without a site there is no air mass left to fit against.
    if (!modele_.Site()) {
        Oublier();
        return;
    }
    const auto plage = langley_->plage;
    langley_ = CalculerLangley(modele_.Resultats(), plage, modele_.Site()->altitude);
    Afficher();
}

std::optional<ReportV0> OngletLangley::Report() const {
    if (!langley_ || !langley_->vert.ajustement || !langley_->rouge.ajustement) return std::nullopt;
    return ReportV0{modele_.Journee().series[langley_->plage.serie].enTete.photometre,
                    langley_->vert.ajustement->v0, langley_->rouge.ajustement->v0};
}

void OngletLangley::Tracer(QChart* g, const VoieLangley& c, const QColor& couleur) {
    g->removeAllSeries();
    auto* x = static_cast<QValueAxis*>(g->axes(Qt::Horizontal).front());
    auto* y = static_cast<QValueAxis*>(g->axes(Qt::Vertical).front());
    const science::ReglagesLangley reglages;
    const auto nuage = [&](const QString& nom, const QColor& fond, const QColor& bord,
                           QScatterSeries::MarkerShape forme) {
        auto* s = new QScatterSeries;
        s->setName(nom);
        s->setMarkerSize(7);
        s->setMarkerShape(forme);
        s->setColor(fond);
        s->setBorderColor(bord);
        return s;
    };
    auto* horsPlage = nuage(
        QString("hors des masses d'air %1 à %2").arg(reglages.masseMin).arg(reglages.masseMax),
        QColor(0xee, 0xee, 0xee), QColor(0xbb, 0xbb, 0xbb), QScatterSeries::MarkerShapeCircle);
    auto* exclus = nuage("écartés", QColor(0xff, 0xd5, 0x4f), QColor(0x8a, 0x6d, 0x00),
                         QScatterSeries::MarkerShapeRectangle);
    auto* retenus =
        nuage("retenus", couleur, couleur.darker(140), QScatterSeries::MarkerShapeCircle);
    double yMin = 0, yMax = 1;
    bool premier = true;
    for (size_t i = 0; i < c.points.size(); ++i) {
        const auto& p = c.points[i];
        const bool dansPlage = p.masseAir >= reglages.masseMin && p.masseAir <= reglages.masseMax;
        if (c.ajustement && c.ajustement->retenus[i])
            retenus->append(p.masseAir, p.y);
        else if (dansPlage)
            exclus->append(p.masseAir, p.y);
        else
            horsPlage->append(p.masseAir, p.y);
        if (p.masseAir > MasseAirMontree) continue;
        if (premier) yMin = yMax = p.y;
        premier = false;
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    }
    QList<QXYSeries*> series{horsPlage, exclus, retenus};
    if (c.ajustement) {
        auto* droite = new QLineSeries;
        droite->setName("droite");
        droite->setPen(QPen(couleur.darker(130), 2));
        const double a = std::log(c.ajustement->v0), b = c.ajustement->pente;
        droite->append(0, a);
        droite->append(MasseAirMontree, a + b * MasseAirMontree);
        yMax = std::max(yMax, a);
        yMin = std::min(yMin, a + b * MasseAirMontree);
        series << droite;
    }
    for (QXYSeries* s : series) {
        g->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    const double marge = std::max(0.02, (yMax - yMin) * 0.08);
    y->setRange(yMin - marge, yMax + marge);
    y->applyNiceNumbers();
}

void OngletLangley::Afficher() {
    const auto resultat = [](const VoieLangley& c) {
        if (!c.ajustement)
            return QString(
                "Pas d'ajustement : moins de trois points entre les "
                "masses d'air 2 et 6.");
        const auto& a = *c.ajustement;
        return QString(
                   "<b>V0 = %1 ± %2 V</b><br>R² = %3 — pente %4 (aérosols et Rayleigh "
                   "%5, l'ozone ôté)<br>%6 points retenus, %7 écartés")
            .arg(Virgule(a.v0, 3), Virgule(a.erreurTypeV0, 3), Virgule(a.r2, 4),
                 Virgule(a.pente, 3), Virgule(-a.pente, 3))
            .arg(a.points)
            .arg(a.exclus);
    };
    if (!langley_) {
        Tracer(graphiqueVert_, {}, Vert);
        Tracer(graphiqueRouge_, {}, Rouge);
        resultatVert_->clear();
        resultatRouge_->clear();
        verdict_->setText(
            "Choisissez une demi-journée (Matin, Après-midi) ou glissez avec le "
            "bouton droit sur la courbe de la journée.");
        verdict_->setStyleSheet("");
        boutonReport_->setEnabled(false);
        return;
    }
    Tracer(graphiqueVert_, langley_->vert, Vert);
    Tracer(graphiqueRouge_, langley_->rouge, Rouge);
    resultatVert_->setText(resultat(langley_->vert));
    resultatRouge_->setText(resultat(langley_->rouge));
    QString texte = "<b>" + Q(langley_->verdict.titre).toHtmlEscaped() + "</b><ul>";
    for (const auto& r : langley_->verdict.raisons)
        texte += "<li>" + Q(r).toHtmlEscaped() + "</li>";
    verdict_->setText(texte + "</ul>");
    verdict_->setStyleSheet(langley_->verdict.bon
                                ? "QLabel { background: #e3f4e6; border: 1px solid #5aa469; "
                                  "padding: 4px; }"
                                : "QLabel { background: #fde7e7; border: 1px solid #c96565; "
                                  "padding: 4px; }");
    boutonReport_->setEnabled(langley_->vert.ajustement && langley_->rouge.ajustement);
}

}  // namespace journee
