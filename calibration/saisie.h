#pragma once

#include <string>

namespace calibration {

// Key filters of the entries. A key is a character as typed: 13 is Enter,
// 8 backspace; the filter sets it to 0 to drop it.

constexpr char ToucheEntree = 13;
constexpr char ToucheEffacement = 8;

// Digits and backspace pass; every other key is dropped.
void FiltrerChiffres(char& Key);

// The decimal entries: a full stop or a comma becomes a comma unless the
// entry already holds one; digits and backspace pass; everything else
// (Enter included, once handled) is dropped.
void FiltrerDecimal(char& Key, const std::string& texte);

bool ContientVirgule(const std::string& texte);

}  // namespace calibration
