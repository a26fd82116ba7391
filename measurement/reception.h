#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "measurement/protocole.h"

// What the reception decides for each packet the framer hands over, without a
// window: how the packet is read, what the panel shows, what is recorded,
// and the state the next packet finds.
namespace measurement {

// Values of the program state.
inline constexpr int32_t EtatRepos = 0;
inline constexpr int32_t EtatVerificationLiaison = 34;
inline constexpr int32_t EtatExpert = 51;
// The two measurement states are the photometer's mode bytes.
inline constexpr int32_t EtatSimple = ModeSimple;
inline constexpr int32_t EtatContinu = ModeContinu;

// Frames averaged for the temperature in continuous mode.
inline constexpr int32_t TemperaturesMoyennees = 100;

// The state a packet reads and leaves.
struct EtatReception {
    int32_t etat = EtatRepos;
    bool liaisonOK = false;
    // Measurement frames before the reception panel opened have no header
    // block to be recorded under: neither shown nor recorded.
    bool receptionOuverte = false;
    double vMaxVert = 0, vMaxRouge = 0;
    double sommeTemperatures = 0;
    int32_t nombreTemperatures = 0;
};

// What the optical depths are computed from.
struct Conditions {
    double v0Vert = 0, vnVert = 0, v0Rouge = 0, vnRouge = 0;
    double distanceTerreSoleil = 1, rapportPression = 1, masseAir = 1;
};

// A channel's new maximum, as the panel shows it; its pointer stands at the
// frame's count.
struct Maximum {
    std::string tension, eo;
};

// The texts of one frame: the labels are written from them, and the record
// line too, so the file holds what the user saw.
struct Canal {
    std::string tension, eo;
    int compte;                      // the gauge's position
    std::optional<Maximum> maximum;  // continuous mode, a new maximum
};
struct Affichage {
    Canal vert, rouge;
    // Nothing where the sensor's formula has no value (the label keeps its
    // text) or, in continuous mode, between two means.
    std::optional<std::string> temperature;
    bool basculerThermometre = false;  // a new mean in continuous mode
};

struct Decision {
    // A decoded identification frame, accepted or not.
    std::optional<Identification> identification;
    bool liaisonEtablie = false;
    std::optional<Mesure> mesure;
    // The mode the panel takes before the frame is shown, and the one the
    // frame's mode byte gives it afterwards: EtatSimple or EtatContinu.
    std::optional<int32_t> modeAvant, modeApres;
    std::optional<Affichage> affichage;
    bool enregistrer = false;  // one "Simple" line
    bool demanderIdentification = false;
};

// Reads one payload (the bytes after the start byte) in the given state and
// leaves the state the next packet finds.
Decision RecevoirPaquet(EtatReception& etat, const Conditions& conditions,
                        const std::string& payload);

// The two modes of the panel, as they change the state: single mode resets
// both maxima.
void PasserMode(EtatReception& etat, int32_t mode);

// The texts of an optical depth, for the channel's current voltage.
std::string TexteEOVert(double v, const Conditions& c);
std::string TexteEORouge(double v, const Conditions& c);

}  // namespace measurement
