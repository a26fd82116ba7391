#pragma once

#include <functional>

#include "journee/vue_graphique.h"

// One chart of the seasons window: the day view's zoom and pan on its time
// axis, plus the day under the mouse, a click on a day, and Page Up / Page
// Down to the period before or after.
namespace saisons {

class VueSaisons : public journee::VueGraphique {
  public:
    using journee::VueGraphique::VueGraphique;

    std::function<void(double, QPoint)> OnSurvol;  // the axis value under the mouse, where
    std::function<void(double)> OnClic;            // a click, not a drag
    std::function<void(int)> OnPeriode;            // -1 before, +1 after
    // The same two in the widget's pixels, for a chart whose points the
    // mouse picks by both coordinates.
    std::function<void(QPoint)> OnSurvolIci;
    std::function<void(QPoint)> OnClicIci;

  protected:
    void mousePressEvent(QMouseEvent* evenement) override;
    void mouseMoveEvent(QMouseEvent* evenement) override;
    void mouseReleaseEvent(QMouseEvent* evenement) override;
    void keyPressEvent(QKeyEvent* evenement) override;

  private:
    QPoint appui_;
    bool gauche_ = false;
};

}  // namespace saisons
