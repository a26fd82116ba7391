#include "saisons/vue_saisons.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdlib>

namespace saisons {

void VueSaisons::mousePressEvent(QMouseEvent* e) {
    appui_ = e->pos();
    gauche_ = e->button() == Qt::LeftButton;
    journee::VueGraphique::mousePressEvent(e);
}

void VueSaisons::mouseMoveEvent(QMouseEvent* e) {
    journee::VueGraphique::mouseMoveEvent(e);
    if (!chart()->plotArea().contains(mapToScene(e->pos()))) return;
    if (OnSurvol) OnSurvol(ValeurX(e->pos().x()), e->globalPosition().toPoint());
    if (OnSurvolIci) OnSurvolIci(e->pos());
}

void VueSaisons::mouseReleaseEvent(QMouseEvent* e) {
    // Below the day view's drag threshold a release is a click on a day.
    const bool clic = gauche_ && e->button() == Qt::LeftButton &&
                      std::abs(e->pos().x() - appui_.x()) < 4 &&
                      chart()->plotArea().contains(mapToScene(e->pos()));
    gauche_ = false;
    const double x = ValeurX(e->pos().x());
    const QPoint ici = e->pos();
    journee::VueGraphique::mouseReleaseEvent(e);
    if (clic && OnClic) OnClic(x);
    if (clic && OnClicIci) OnClicIci(ici);
}

void VueSaisons::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_PageUp || e->key() == Qt::Key_PageDown) && OnPeriode) {
        OnPeriode(e->key() == Qt::Key_PageUp ? -1 : 1);
        e->accept();
        return;
    }
    journee::VueGraphique::keyPressEvent(e);
}

}  // namespace saisons
