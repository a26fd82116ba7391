#pragma once

#include <QChart>
#include <QColor>
#include <QLocale>
#include <QString>
#include <string>

#include "platform/numbers.h"

// What the day view's parts share on screen: the channels' colours and
// French numbers.
namespace journee {

inline const QColor Vert(0x1e, 0x8c, 0x45);
inline const QColor Rouge(0xc6, 0x28, 0x28);
inline const QColor Bleu(0x28, 0x4b, 0x8c);
inline const QColor Gris(0x9e, 0x9e, 0x9e);

// Numbers on the axes with a decimal comma.
inline void Franciser(QChart* g) {
    g->setLocale(QLocale(QLocale::French, QLocale::France));
    g->setLocalizeNumbers(true);
}

inline QString Q(const std::string& texte) {
    return QString::fromStdString(texte);
}

inline QString Virgule(double valeur, int decimales) {
    return Q(FormatFixe(valeur, decimales));
}

}  // namespace journee
