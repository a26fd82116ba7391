#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QChart>
#include <QDir>
#include <QElapsedTimer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QXYSeries>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "journee/fenetre.h"
#include "journee/vue_graphique.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"

// Runs the event loop until the condition holds; false after a long while
// (a failure, never a measure of speed).
template <typename Condition>
bool Attendre(Condition condition, int ms = 20000) {
    QElapsedTimer montre;
    montre.start();
    while (!condition()) {
        if (montre.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

inline journee::ReglagesModele ReglagesLyon(bool avecSite = true) {
    journee::ReglagesModele r;
    if (avecSite) r.site = SiteLyon;
    r.annee = 2026;
    return r;
}

// A clear morning in Lyon in a folder of its own, shown in a day view.
struct MatineeOuverte {
    Dossier dossier;
    std::string chemin = dossier.Fichier("lyon.txt");
    std::unique_ptr<journee::FenetreJournee> vue;

    explicit MatineeOuverte(bool avecSite = true) {
        EcrireMatineeClaire(chemin, 2.12, 2.05);
        vue = std::make_unique<journee::FenetreJournee>(ReglagesLyon(avecSite),
                                                        QString::fromStdString(dossier.chemin));
        vue->Ouvrir(QString::fromStdString(chemin));
        vue->show();
    }
};

// The day plot's first series of that name (a curve's, with its legend
// entry), or nothing.
inline QXYSeries* SerieNommee(journee::FenetreJournee& f, const QString& nom) {
    for (QAbstractSeries* s : f.VueJour()->chart()->series())
        if (s->name() == nom) return qobject_cast<QXYSeries*>(s);
    return nullptr;
}

// The PNG for people to look at and the README, and a one-page PDF of it for
// the manual (groff embeds pictures only as PDF).
inline void Capturer(QWidget& w, const std::string& nom) {
    QDir().mkpath(CAPTURES_DIR);
    QApplication::processEvents();
    const QPixmap image = w.grab();
    const QString base = QString(CAPTURES_DIR "/") + nom.c_str();
    ASSERT_TRUE(image.save(base + ".png", "PNG"));
    QPdfWriter pdf(base + ".pdf");
    pdf.setResolution(96);
    pdf.setPageMargins(QMarginsF());
    pdf.setPageSize(
        QPageSize(QSizeF(image.width() * 0.75, image.height() * 0.75), QPageSize::Point));
    QPainter peintre(&pdf);
    peintre.drawPixmap(0, 0, image);
}
