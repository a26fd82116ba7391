#pragma once

#include <QString>

class QWidget;

namespace journee {

// The widget as it stands on screen, in SVG when the name ends with .svg,
// else in PNG; false when the file could not be written.
bool EnregistrerImage(QWidget& cible, const QString& chemin, const QString& titre);

}  // namespace journee
