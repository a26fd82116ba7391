#include "saisons/barres.h"

#include <QChart>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>

namespace saisons {

Barres::Barres(QChart* graphique, QValueAxis* axeX, QValueAxis* axeY)
    : QGraphicsItem(graphique), graphique_(graphique), axeX_(axeX), axeY_(axeY) {
    // Above the grid (2 in Qt Charts), below the axes (3) and the series' markers.
    setZValue(2.5);
    const auto redessiner = [this] { update(); };
    QObject::connect(axeX_, &QValueAxis::rangeChanged, graphique_, redessiner);
    QObject::connect(axeY_, &QValueAxis::rangeChanged, graphique_, redessiner);
    QObject::connect(graphique_, &QChart::plotAreaChanged, graphique_,
                     [this] { prepareGeometryChange(); });
}

void Barres::Changer(std::vector<Barre> barres) {
    barres_ = std::move(barres);
    update();
}

QRectF Barres::boundingRect() const {
    return graphique_->plotArea();
}

void Barres::paint(QPainter* peintre, const QStyleOptionGraphicsItem*, QWidget*) {
    const QRectF zone = graphique_->plotArea();
    const double x0 = axeX_->min(), dx = axeX_->max() - axeX_->min();
    const double y0 = axeY_->min(), dy = axeY_->max() - axeY_->min();
    if (dx <= 0 || dy <= 0 || zone.isEmpty()) return;
    const double parJour = zone.width() / dx;
    peintre->save();
    peintre->setClipRect(zone);
    peintre->setPen(Qt::NoPen);
    for (const Barre& b : barres_) {
        if (b.x + b.largeur < x0 || b.x - b.largeur > x0 + dx) continue;
        const double largeur = std::max(1.0, b.largeur * parJour);
        const double centre = zone.left() + (b.x - x0) * parJour;
        const double haut = zone.bottom() - (b.haut - y0) / dy * zone.height();
        const double bas = zone.bottom() - (b.bas - y0) / dy * zone.height();
        // A range of nothing (one record) still shows as a line.
        peintre->fillRect(QRectF(centre - largeur / 2, haut, largeur, std::max(1.0, bas - haut)),
                          b.couleur);
    }
    peintre->restore();
}

}  // namespace saisons
