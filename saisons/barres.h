#pragma once

#include <QColor>
#include <QGraphicsItem>
#include <vector>

class QChart;
class QValueAxis;

// Vertical bars in a chart's plot area, in axis values: each day's range
// (min to max) or its count. Drawn directly rather than as one series per
// bar, so that ten years of days stay one item.
namespace saisons {

struct Barre {
    double x;  // the bar's centre on the time axis
    double bas, haut;
    double largeur;  // in days; never thinner than one pixel
    QColor couleur;
};

class Barres : public QGraphicsItem {
  public:
    Barres(QChart* graphique, QValueAxis* axeX, QValueAxis* axeY);

    void Changer(std::vector<Barre> barres);
    const std::vector<Barre>& Contenu() const { return barres_; }

    QRectF boundingRect() const override;
    void paint(QPainter* peintre, const QStyleOptionGraphicsItem*, QWidget*) override;

  private:
    QChart* graphique_;
    QValueAxis* axeX_;
    QValueAxis* axeY_;
    std::vector<Barre> barres_;
};

}  // namespace saisons
