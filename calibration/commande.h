#pragma once

#include <cstdint>
#include <string>

// The write command that stores an identification and calibration constants
// in the photometer: FF 80, number, version × 10, then four counts of
// 5/1024 V, high byte first.

// A voltage as the photometer's 16-bit count: truncated toward zero.
uint16_t CodeTension(double volts);

std::string CommandeEcriture(uint8_t numero, uint8_t versionFois10, double v0Vert, double vnVert,
                             double v0Rouge, double vnRouge);
