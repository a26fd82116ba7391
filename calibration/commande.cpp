#include "commande.h"

#include <cmath>

uint16_t CodeTension(double volts) {
    const double compte = std::trunc(volts / 0.0048828125);
    return static_cast<uint16_t>(static_cast<long long>(compte) & 0xFFFF);
}

std::string CommandeEcriture(uint8_t numero, uint8_t versionFois10, double v0Vert, double vnVert,
                             double v0Rouge, double vnRouge) {
    std::string octets = {'\xFF', '\x80', static_cast<char>(numero),
                          static_cast<char>(versionFois10)};
    for (double v : {v0Vert, vnVert, v0Rouge, vnRouge}) {
        const uint16_t code = CodeTension(v);
        octets += static_cast<char>(code >> 8);
        octets += static_cast<char>(code & 0xFF);
    }
    return octets;
}
