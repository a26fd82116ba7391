#include "journee/vue_graphique.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>

namespace journee {

VueGraphique::VueGraphique(QChart* graphique, QValueAxis* axeX, QWidget* parent)
    : QChartView(graphique, parent), axeX_(axeX) {
    setRenderHint(QPainter::Antialiasing);
    // Each item sets what it paints with; saving and restoring the painter
    // around each one is work for nothing at every new line.
    setOptimizationFlag(QGraphicsView::DontSavePainterState);
    // The view fills what the chart leaves around it itself: the widgets
    // behind it are not painted again at each new line.
    setBackgroundBrush(palette().window());
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    bande_ = new QRubberBand(QRubberBand::Rectangle, this);
}

double VueGraphique::ValeurX(int x) const {
    const QRectF zone = chart()->plotArea();
    const QPointF scene = mapToScene(QPoint(x, 0));
    const double part = zone.width() > 0 ? (scene.x() - zone.left()) / zone.width() : 0;
    return axeX_->min() + part * (axeX_->max() - axeX_->min());
}

void VueGraphique::ZoomX(double facteur, double centre) {
    const double min = centre - (centre - axeX_->min()) * facteur;
    const double max = centre + (axeX_->max() - centre) * facteur;
    if (max - min < 1.0 / 360) return;  // ten seconds across is close enough
    axeX_->setRange(min, max);
    if (OnZoom) OnZoom();
}

void VueGraphique::wheelEvent(QWheelEvent* e) {
    const double crans = e->angleDelta().y() / 120.0;
    if (crans == 0) return;
    ZoomX(std::pow(0.8, crans), ValeurX(static_cast<int>(e->position().x())));
    e->accept();
}

void VueGraphique::mousePressEvent(QMouseEvent* e) {
    bouton_ = e->button();
    depart_ = e->pos();
    if (bouton_ == Qt::LeftButton || bouton_ == Qt::RightButton) {
        const QRectF zone = chart()->plotArea();
        bande_->setGeometry(
            QRect(depart_.x(), static_cast<int>(zone.top()), 0, static_cast<int>(zone.height())));
        bande_->show();
    }
    e->accept();
}

void VueGraphique::mouseMoveEvent(QMouseEvent* e) {
    if (bouton_ == Qt::LeftButton || bouton_ == Qt::RightButton) {
        const QRectF zone = chart()->plotArea();
        bande_->setGeometry(
            QRect(QPoint(std::min(depart_.x(), e->pos().x()), static_cast<int>(zone.top())),
                  QPoint(std::max(depart_.x(), e->pos().x()), static_cast<int>(zone.bottom()))));
    } else if (bouton_ == Qt::MiddleButton) {
        chart()->scroll(depart_.x() - e->pos().x(), 0);
        depart_ = e->pos();
        if (OnZoom) OnZoom();
    }
    QChartView::mouseMoveEvent(e);
}

void VueGraphique::mouseReleaseEvent(QMouseEvent* e) {
    const Qt::MouseButton bouton = bouton_;
    bouton_ = Qt::NoButton;
    bande_->hide();
    const double a = ValeurX(depart_.x()), b = ValeurX(e->pos().x());
    const bool assez = std::abs(e->pos().x() - depart_.x()) >= 4;
    if (bouton == Qt::LeftButton && assez) {
        axeX_->setRange(std::min(a, b), std::max(a, b));
        if (OnZoom) OnZoom();
    } else if (bouton == Qt::RightButton && assez && OnPlage) {
        OnPlage(std::min(a, b), std::max(a, b));
    }
    e->accept();
}

void VueGraphique::keyPressEvent(QKeyEvent* e) {
    const double centre = (axeX_->min() + axeX_->max()) / 2;
    const double largeur = axeX_->max() - axeX_->min();
    switch (e->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            ZoomX(0.5, centre);
            break;
        case Qt::Key_Minus:
            ZoomX(2, centre);
            break;
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const double pas = largeur / 10 * (e->key() == Qt::Key_Left ? -1 : 1);
            axeX_->setRange(axeX_->min() + pas, axeX_->max() + pas);
            if (OnZoom) OnZoom();
            break;
        }
        case Qt::Key_0:
        case Qt::Key_Home:
            if (OnEnsemble) OnEnsemble();
            break;
        default:
            QChartView::keyPressEvent(e);
            return;
    }
    e->accept();
}

}  // namespace journee
