#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Everything the photometer defines on its line, named once: the bytes and
// sizes of its frames, its two commands, and how counts are volts. Every
// frame starts with OctetDebut; 16-bit values go high byte first.
namespace measurement {

inline constexpr uint8_t OctetDebut = 0xFF;
inline constexpr uint8_t CodeIdentification = 0x40;  // FF 40 asks for the identification
inline constexpr uint8_t CodeEcriture = 0x80;        // FF 80 stores a new identification

// The mode byte of a measurement frame.
inline constexpr uint8_t ModeSimple = 0xA0;
inline constexpr uint8_t ModeContinu = 0xF0;

// Whole frames as the framer is set for them, start byte included; the
// framer hands over the payload that follows the start byte.
inline constexpr int TailleTrameIdentification = 11;
inline constexpr int TailleTrameMesure = 8;
inline constexpr int TailleCommandeEcriture = 12;

inline constexpr double VoltsParCompte = 0.0048828125;  // 5 V over 1024 counts
// The detectors' counts are 10 bits.
inline constexpr int CompteMaximal = 1023;
// A calibration constant must stay below this: 5 V is the count 1024, which
// the photometer reports back as 5,00 V, and such an identification is refused.
inline constexpr double TensionLimite = 5.0;

// The start byte as the framer looks for it.
std::string ChaineDebut();
// FF 40, the request the photometer answers with its identification frame.
std::string RequeteIdentification();

// The answer to the identification request.
struct Identification {
    uint8_t numero;   // identification number of the photometer
    uint8_t version;  // firmware version times ten
    // Calibration constants in volts, rounded to 0.01 V.
    double v0Vert, vnVert, v0Rouge, vnRouge;
    // All four constants below TensionLimite: the link is taken as working.
    bool acceptee;
};

// A measurement.
struct Mesure {
    uint8_t mode;  // ModeSimple, ModeContinu, or any other value as it comes
    int compteVert, compteRouge;
    int32_t temperatureBrute;
    double vVert, vRouge;  // not rounded
};

// A payload shorter than its layout gives nothing; bytes past it are ignored.
std::optional<Identification> DecoderIdentification(const std::string& payload);
std::optional<Mesure> DecoderMesure(const std::string& payload);

// A voltage as the photometer's 16-bit count: truncated toward zero, low 16
// bits (0 to 5 V gives 0 to 1024).
uint16_t CodeTension(double volts);

// FF 80, number, version × 10, then the four constants as counts: the fields
// of the identification frame, in its order and encoding.
std::string CommandeEcriture(uint8_t numero, uint8_t versionFois10, double v0Vert, double vnVert,
                             double v0Rouge, double vnRouge);

}  // namespace measurement
