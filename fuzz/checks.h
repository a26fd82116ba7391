#pragma once

#include <string>

// What the reception panel may show, judged without the program's own
// formatting code.

// Reports a broken invariant and aborts, so that libFuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);

// The voltage label for a count: thousandths of a volt (count × 5000 / 1024)
// rounded half away from zero, worked out in integers: "1,250".
std::string ExpectedVoltage(int count);

// "d,ddd": a voltage, never negative.
bool IsVoltage(const std::string& text);
// "-d,dd" or "d,dd"; "-0,00" is a depth just below zero.
bool IsOpticalDepth(const std::string& text);
// Whole degrees: "0", "21", "-22"; no "-0", no leading zero.
bool IsTemperature(const std::string& text);
