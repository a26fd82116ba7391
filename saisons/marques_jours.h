#pragma once

#include <QColor>
#include <QString>

#include "journee/apparence.h"

class QChart;
class QScatterSeries;

// How the days' charts draw their marks: a day's median at level 1.5 or
// 2.0, and the legend entries.
namespace saisons {

// The records at level 2.0, over those at 1.5 in the count.
inline const QColor CouleurNiveauDeux = journee::Bleu.darker(160);

QColor Pale(QColor c, int alpha);

// A day's median, a dot of the channel's colour.
QScatterSeries* Mediane(QChart* g, const QString& nom, const QColor& couleur);
// A day at level 2.0: a diamond, darker, over the level-1.5 dots.
QScatterSeries* MedianeDeux(QChart* g, const QString& nom, const QColor& couleur);
// A series' legend entry shown only while it holds points.
void Legender(QScatterSeries* s, const QString& nom);
// A legend entry for what the bars draw, which no series holds.
QScatterSeries* Legende(QChart* g, const QString& nom, const QColor& couleur);

}  // namespace saisons
