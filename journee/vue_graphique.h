#pragma once

#include <QChartView>
#include <functional>

class QRubberBand;
class QValueAxis;

namespace journee {

// A chart that the mouse and the keyboard zoom and pan along its time axis:
// the wheel or + and − zoom, a left drag zooms on the range dragged, a middle
// drag or the arrows pan, 0 or Home shows everything; a right drag chooses a
// range for the Langley fit.
class VueGraphique : public QChartView {
  public:
    VueGraphique(QChart* graphique, QValueAxis* axeX, QWidget* parent = nullptr);

    std::function<void()> OnZoom;                 // the user zoomed or panned
    std::function<void()> OnEnsemble;             // the user asked for everything
    std::function<void(double, double)> OnPlage;  // a right drag, in axis values

    // The axis value under a point of the widget.
    double ValeurX(int x) const;

  protected:
    void wheelEvent(QWheelEvent* evenement) override;
    void mousePressEvent(QMouseEvent* evenement) override;
    void mouseMoveEvent(QMouseEvent* evenement) override;
    void mouseReleaseEvent(QMouseEvent* evenement) override;
    void keyPressEvent(QKeyEvent* evenement) override;

  private:
    void ZoomX(double facteur, double centre);

    QValueAxis* axeX_;
    QRubberBand* bande_ = nullptr;
    Qt::MouseButton bouton_ = Qt::NoButton;
    QPoint depart_;
};

}  // namespace journee
