#include "saisons/marques_jours.h"

#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QScatterSeries>

namespace saisons {

QColor Pale(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

QScatterSeries* Mediane(QChart* g, const QString& nom, const QColor& couleur) {
    auto* s = new QScatterSeries;
    s->setName(nom);
    s->setColor(couleur);
    s->setBorderColor(couleur.darker(130));
    s->setMarkerSize(6);
    g->addSeries(s);
    return s;
}

QScatterSeries* MedianeDeux(QChart* g, const QString& nom, const QColor& couleur) {
    QScatterSeries* s = Mediane(g, nom, couleur.darker(125));
    s->setMarkerShape(QScatterSeries::MarkerShapeRotatedRectangle);
    s->setBorderColor(Qt::black);
    return s;
}

void Legender(QScatterSeries* s, const QString& nom) {
    s->setName(nom);
    for (QLegendMarker* m : s->chart()->legend()->markers(s)) m->setVisible(s->count() > 0);
}

QScatterSeries* Legende(QChart* g, const QString& nom, const QColor& couleur) {
    auto* s = new QScatterSeries;
    s->setName(nom);
    s->setColor(couleur);
    s->setBorderColor(couleur);
    s->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    g->addSeries(s);
    return s;
}

}  // namespace saisons
