#include "measurement/protocole.h"

#include <cmath>

namespace measurement {
namespace {

constexpr size_t TailleIdentification = TailleTrameIdentification - 1;
constexpr size_t TailleMesure = TailleTrameMesure - 1;

int Octet(const std::string& payload, size_t i) {
    return static_cast<unsigned char>(payload[i]);
}

int Mot(const std::string& payload, size_t i) {
    return 256 * Octet(payload, i) + Octet(payload, i + 1);
}

void AjouterMot(std::string& octets, uint16_t mot) {
    octets += static_cast<char>(mot >> 8);
    octets += static_cast<char>(mot & 0xFF);
}

// To 0.01 V, halves to the even neighbour. Hundredths of a volt are
// count × 125 / 256, exact in a double, so halfway cases are seen as such.
double Constante(int count) {
    return std::nearbyint(count * VoltsParCompte * 100) / 100;
}

}  // namespace

std::string ChaineDebut() {
    return std::string(1, static_cast<char>(OctetDebut));
}

std::string RequeteIdentification() {
    return {static_cast<char>(OctetDebut), static_cast<char>(CodeIdentification)};
}

std::optional<Identification> DecoderIdentification(const std::string& payload) {
    if (payload.size() < TailleIdentification) return std::nullopt;
    Identification id{};
    id.numero = static_cast<uint8_t>(Octet(payload, 0));
    id.version = static_cast<uint8_t>(Octet(payload, 1));
    id.v0Vert = Constante(Mot(payload, 2));
    id.vnVert = Constante(Mot(payload, 4));
    id.v0Rouge = Constante(Mot(payload, 6));
    id.vnRouge = Constante(Mot(payload, 8));
    // Judged on the rounded values: a count of 1023 (4.995 V) shows 5.00.
    id.acceptee = id.v0Vert < TensionLimite && id.vnVert < TensionLimite &&
                  id.v0Rouge < TensionLimite && id.vnRouge < TensionLimite;
    return id;
}

std::optional<Mesure> DecoderMesure(const std::string& payload) {
    if (payload.size() < TailleMesure) return std::nullopt;
    Mesure m{};
    m.mode = static_cast<uint8_t>(Octet(payload, 0));
    m.compteVert = Mot(payload, 1);
    m.compteRouge = Mot(payload, 3);
    m.temperatureBrute = Mot(payload, 5);
    m.vVert = m.compteVert * VoltsParCompte;
    m.vRouge = m.compteRouge * VoltsParCompte;
    return m;
}

uint16_t CodeTension(double volts) {
    const double compte = std::trunc(volts / VoltsParCompte);
    return static_cast<uint16_t>(static_cast<long long>(compte) & 0xFFFF);
}

std::string CommandeEcriture(uint8_t numero, uint8_t versionFois10, double v0Vert, double vnVert,
                             double v0Rouge, double vnRouge) {
    std::string octets = {static_cast<char>(OctetDebut), static_cast<char>(CodeEcriture),
                          static_cast<char>(numero), static_cast<char>(versionFois10)};
    for (double v : {v0Vert, vnVert, v0Rouge, vnRouge}) AjouterMot(octets, CodeTension(v));
    return octets;
}

}  // namespace measurement
