#pragma once

#include <cstdint>
#include <string>

#include "measurement/protocole.h"

// The bytes exchanged with the program: the frames the photometer sends and
// the requests it reads. The bytes and the scale are the instrument's, named
// once in the program's protocol; building frames and reading commands stay
// written here, from the instrument's side, so that a fault in the program's
// decoding or encoding shows in the tests instead of being shared.
namespace simulateur {

constexpr uint8_t OctetDebut = measurement::OctetDebut;
constexpr uint8_t CodeIdentification = measurement::CodeIdentification;
constexpr uint8_t CodeEcriture = measurement::CodeEcriture;

enum class Mode : uint8_t { Simple = measurement::ModeSimple, Continu = measurement::ModeContinu };

constexpr double VoltsParCompte = measurement::VoltsParCompte;
// The nearest count of a voltage, so that a typed 2.12 V reads back as 2.12.
uint16_t CompteDeTension(double volts);
double TensionDeCompte(uint16_t compte);

// The six fields of the identification frame, also carried by the write
// command.
struct Identification {
    uint8_t numero = 7;
    uint8_t version = 12;  // version times ten
    uint16_t v0Vert = CompteDeTension(2.12);
    uint16_t vnVert = CompteDeTension(0.01);
    uint16_t v0Rouge = CompteDeTension(2.05);
    uint16_t vnRouge = CompteDeTension(0.01);
    bool operator==(const Identification&) const = default;
};

struct Comptes {
    uint16_t vert = 0;
    uint16_t rouge = 0;
    uint16_t temperature = 0;
    bool operator==(const Comptes&) const = default;
};

// 11 bytes.
std::string TrameIdentification(const Identification& id);
// 8 bytes.
std::string TrameMesure(Mode mode, const Comptes& comptes);
// 12 bytes: what the program sends to store new constants.
std::string CommandeEcriture(const Identification& id);

// Reads the program's bytes as they come, in pieces of any size: FF 40 is an
// identification request, FF 80 and ten bytes a write command. Any other byte
// outside a command is ignored; inside a write command every byte is data,
// FF included.
class TLecteurRequetes {
  public:
    enum class Requete { Aucune, Identification, Ecriture };

    // Takes one byte; tells whether it completed a request.
    Requete Lire(uint8_t octet);
    // The fields of the last complete write command.
    const Identification& Ecriture() const { return ecriture_; }
    // Forgets a request cut short (the program closed the port).
    void Reinitialiser();

  private:
    enum class Etat { Attente, ApresDebut, Champs };
    Etat etat_ = Etat::Attente;
    static constexpr int TailleChamps = measurement::TailleCommandeEcriture - 2;
    uint8_t champs_[TailleChamps] = {};
    int recus_ = 0;
    Identification ecriture_;
};

}  // namespace simulateur
