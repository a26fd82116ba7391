#pragma once

#include <cstdint>
#include <string>

// The bytes exchanged with the program: the frames the photometer sends and
// the requests it reads, written from the instrument's side and on its own,
// not taken from the program's protocol: the tests compare the two, so that a
// wrong byte or scale on either side shows instead of being shared.
namespace simulateur {

// Every frame and request begins with this byte; 16-bit values go high byte
// first.
constexpr uint8_t OctetDebut = 0xFF;
constexpr uint8_t CodeIdentification = 0x40;  // FF 40: send the identification
constexpr uint8_t CodeEcriture = 0x80;        // FF 80 and ten bytes: store these fields

// The second byte of a measurement frame.
enum class Mode : uint8_t { Simple = 0xA0, Continu = 0xF0 };

// The converter gives 1024 counts over its 5 V reference.
constexpr double VoltsParCompte = 5.0 / 1024;
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
    // Number, version and the four constants of two bytes each.
    static constexpr int TailleChamps = 10;
    uint8_t champs_[TailleChamps] = {};
    int recus_ = 0;
    Identification ecriture_;
};

}  // namespace simulateur
