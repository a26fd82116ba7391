#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The photometer's frames, as the framer hands them over: the payload that
// follows the start byte FF. 16-bit values come high byte first.

inline constexpr double VoltsParCompte = 0.0048828125;  // 5 V over 1024 counts

// The answer to the identification request: 10 payload bytes.
struct Identification {
    uint8_t numero;   // identification number of the photometer
    uint8_t version;  // firmware version times ten
    // Calibration constants in volts, rounded to 0.01 V.
    double v0Vert, vnVert, v0Rouge, vnRouge;
    // All four constants below 5 V: the link is taken as working.
    bool acceptee;
};

// A measurement: 7 payload bytes.
struct Mesure {
    uint8_t mode;  // 0xA0 single, 0xF0 continuous; any other value is taken as it comes
    int compteVert, compteRouge;
    int32_t temperatureBrute;
    double vVert, vRouge;  // not rounded
};

// A payload shorter than its layout gives nothing; bytes past it are ignored.
std::optional<Identification> DecoderIdentification(const std::string& payload);
std::optional<Mesure> DecoderMesure(const std::string& payload);
