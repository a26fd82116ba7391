#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <string>

#include "toolkit/graphics.h"

// Conversions at the boundary with Qt: texts are UTF-8 std::string on our
// side, QString on Qt's.
namespace toolkit {

inline QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQString(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

inline QColor ToQColor(uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

QFont ToQFont(const TFontSpec& spec);

}  // namespace toolkit
