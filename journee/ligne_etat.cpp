#include "journee/ligne_etat.h"

#include <QPainter>
#include <QStyle>

namespace journee {

LigneEtat::LigneEtat(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void LigneEtat::setText(const QString& texte) {
    if (texte == texte_) return;
    texte_ = texte;
    setToolTip(texte);
    update();
}

namespace {

// The height of a line of text as a label measures it.
int HauteurLigne(const QFontMetrics& mesure) {
    return mesure.boundingRect(QRect(0, 0, 2000, 2000), Qt::AlignLeft, "X").height();
}

}  // namespace

QSize LigneEtat::sizeHint() const {
    return {200, HauteurLigne(fontMetrics())};
}

QSize LigneEtat::minimumSizeHint() const {
    return {0, HauteurLigne(fontMetrics())};
}

void LigneEtat::paintEvent(QPaintEvent*) {
    QPainter peintre(this);
    const QString montre = fontMetrics().elidedText(texte_, Qt::ElideLeft, width());
    style()->drawItemText(&peintre, rect(), Qt::AlignLeft | Qt::AlignVCenter, palette(),
                          isEnabled(), montre, foregroundRole());
}

}  // namespace journee
