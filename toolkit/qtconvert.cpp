#include "toolkit/qtconvert.h"

#include <map>

namespace toolkit {
namespace {

std::map<std::string, int>& Spacings() {
    static std::map<std::string, int> spacings;
    return spacings;
}

}  // namespace

void SetLetterSpacing(const std::string& family, int percent) {
    Spacings()[family] = percent;
}

QFont ToQFont(const TFontSpec& spec) {
    QFont font(ToQString(spec.family));
    // Sizes are given in screen pixels, so they do not follow the screen's dpi.
    font.setPixelSize(spec.pixelHeight);
    font.setBold(spec.bold);
    if (const auto it = Spacings().find(spec.family); it != Spacings().end())
        font.setLetterSpacing(QFont::PercentageSpacing, it->second);
    return font;
}

}  // namespace toolkit
