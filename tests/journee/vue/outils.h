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
#include "tests/support/attente.h"
#include "tests/support/capture.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"

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
