#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The decisions of the measurement parameters and of the calibration panel,
// without a window: which flag Enter sets, what each tick of the display
// shows, and whether the expert's entries may be written into the photometer.
namespace calibration {

// Enter typed in the measurement parameters: one flag per field, the panel is
// validated once both are set.
inline constexpr uint32_t SaisiePression = 1;
inline constexpr uint32_t SaisieAngle = 2;
inline constexpr uint32_t SaisieComplete = SaisiePression | SaisieAngle;

// Sets the flag of the field where Enter was typed; true once both are set.
bool EntreeParametre(uint32_t& saisie, uint32_t drapeau);

// The pressures a station can read, in hPa: about 300 on the highest summits
// and never above 1100 at sea level (the record is near 1084). A typo outside
// them would spoil every depth of the series.
inline constexpr int PressionMinimale = 300;
inline constexpr int PressionMaximale = 1100;

// The measurement parameters judged at validation, every check made even
// when an earlier one failed: the messages to show in order, each with the
// field that then takes the focus; a pressure outside PressionMinimale to
// PressionMaximale is refused like a missing one; an angle above 90 is
// written back as "90"; an angle of 0 has no air mass and is refused like a
// missing one. A pressure or an angle that is not a whole number stops the
// judgement there, after the messages before it.
enum class ChampParametre { Pression, Angle };
struct RefusParametre {
    std::string message;
    std::optional<ChampParametre> champ;
    bool operator==(const RefusParametre&) const = default;
};
struct JugementParametres {
    std::vector<RefusParametre> refus;
    std::optional<std::string> angleEcrit;
    std::optional<std::string> erreurConversion;  // the conversion error's text
    bool accepte = false;
};
JugementParametres JugerParametres(bool fichierChoisi, const std::string& pression,
                                   const std::string& angle);

// What the photometer reported, or what an expert validation stored.
struct Constantes {
    uint8_t numero = 0;
    uint8_t versionFois10 = 0;
    double v0Vert = 0, vnVert = 0, v0Rouge = 0, vnRouge = 0;
};

// The labels of the display sequence, in the order of its steps 1 to 6.
enum class Champ { Aucun, Numero, Version, V0Vert, VnVert, V0Rouge, VnRouge };

// One tick of the display sequence: the first shows nothing, the next six a
// value each; after the seventh the sequence ends and the port closes.
struct Etape {
    Champ champ = Champ::Aucun;
    std::string texte;
    int32_t suivante = 0;  // the step of the next tick; 0 once finished
    bool finie = false;
};
Etape EtapeAffichage(int32_t etape, const Constantes& valeurs);

// The expert entries as read; the judgement refuses the first thing wrong.
struct SaisieExpert {
    long long numero = 0;
    double version = 0;
    double v0Vert = 0, vnVert = 0, v0Rouge = 0, vnRouge = 0;
};
enum class Entree { V0Vert, VnVert, V0Rouge, VnRouge, Numero, Version };
struct Refus {
    std::string message;
    // The entries to give the focus, in this order: the last keeps it.
    std::vector<Entree> focus;
};

// The entries as they are written, or why they are refused.
struct Jugement {
    std::optional<Constantes> acceptees;
    std::optional<Refus> refus;
};
Jugement JugerSaisieExpert(const SaisieExpert& saisie);

}  // namespace calibration
