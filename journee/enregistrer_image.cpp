#include "journee/enregistrer_image.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QWidget>

namespace journee {

bool EnregistrerImage(QWidget& cible, const QString& chemin, const QString& titre) {
    if (!chemin.endsWith(".svg", Qt::CaseInsensitive)) return cible.grab().save(chemin, "PNG");
    QSvgGenerator svg;
    svg.setFileName(chemin);
    svg.setSize(cible.size());
    svg.setViewBox(QRect(QPoint(0, 0), cible.size()));
    svg.setTitle(titre);
    QPainter peintre;
    if (!peintre.begin(&svg)) return false;
    cible.render(&peintre);
    return peintre.end();
}

}  // namespace journee
