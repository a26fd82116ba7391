#pragma once

#include <cstdint>
#include <string>

// Fonts, colours and the other drawing settings that controls take.
// Colours are 0xRRGGBB.

namespace toolkit {

struct TFontSpec {
    int pixelHeight = 11;
    bool bold = false;
    uint32_t color = 0x000000;
    std::string family = "MS Sans Serif";

    bool operator==(const TFontSpec&) const = default;
};

// Widens the texts of a font family by adding this percentage of each
// character's width after it (100: unchanged). A stand-in for a font the
// machine lacks can so be brought to the widths the layout was drawn for.
void SetLetterSpacing(const std::string& family, int percent);

enum TCursor { crDefault, crHandPoint, crNo, crIBeam };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TBevelCut { bvNone, bvLowered, bvRaised };

}  // namespace toolkit
