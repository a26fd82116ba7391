#pragma once

#include <string>

#include "platform/exception.h"

// Numbers as the program shows, reads and records them: the comma is the
// decimal separator whatever the machine's locale, so that a data file reads
// the same on every machine.

// A text that is not a number: "'<text>' n'est pas une valeur ... correcte".
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

// Raised by the program itself where a floating-point division by zero must
// stop an operation (the hardware does not trap it).
class EZeroDivide : public Exception {
  public:
    EZeroDivide() : Exception("Division par zéro en virgule flottante") {}
};

// Fixed decimals ("%1.3f" style) with a comma. A value exactly halfway
// between two results is rounded away from zero, as people round by hand;
// a result whose digits are all zero carries no sign. decimals < 0 counts as 0.
std::string FormatFixe(double value, int decimals);
// The same on the extended-precision value, so that no prior rounding to a
// double can move it onto or off a halfway point.
std::string FormatFixeEtendu(long double value, int decimals);

std::string TexteEntier(long long value);

// Blanks (spaces, tabs) around the number are ignored. StrToInt takes an
// optional sign and decimal digits; StrToFloat also a comma and a decimal
// part, and an exponent ("1,5e3"). A full stop is not a separator.
long long StrToInt(const std::string& text);
double StrToFloat(const std::string& text);
