#pragma once

#include <cstddef>
#include <vector>

// Thinning a curve for drawing: a day at 240 lines/s is far more points than
// a plot has pixels.
namespace journee {

// Which points of a curve to draw at a width of `colonnes` slices across
// [xmin, xmax] so that it looks as it would whole: in each slice its first,
// lowest, highest and last point, plus the nearest point on each side of the
// range so that the line runs to the edges. x in drawing order (time, not
// decreasing); the indices come back in that order.
std::vector<size_t> PointsADessiner(const std::vector<double>& x, const std::vector<double>& y,
                                    double xmin, double xmax, size_t colonnes);

// The same thinning, kept up to date while points are appended to the curve:
// only the last slice is thinned again, so that following a file that grows
// costs what the new points cost, not what the whole day does. The result is
// always what PointsADessiner gives for the curve as it is.
class Eclaircie {
  public:
    const std::vector<size_t>& Points(const std::vector<double>& x, const std::vector<double>& y,
                                      double xmin, double xmax, size_t colonnes);
    // How many of the last result's first entries later points cannot change
    // (those before the last slice), while the range and width stay.
    size_t Fixes() const { return fixes_; }

  private:
    double xmin_ = 0, xmax_ = 0;
    size_t colonnes_ = 0;
    size_t n_ = 0;  // the curve's points last seen
    bool tous_ = false;
    size_t debut_ = 0;  // the first point in range
    size_t fin_ = 0;    // the first point beyond it
    std::vector<size_t> garde_;
    // garde_'s entries that later points cannot change, and the point from
    // which thinning goes on: the first of the last slice.
    size_t fixes_ = 0;
    size_t reprise_ = 0;
    // The last slice as scanned: up to balaye_, its lowest and highest.
    size_t balaye_ = 0, bas_ = 0, haut_ = 0;
};

}  // namespace journee
