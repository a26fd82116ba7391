#pragma once

#include <cstdint>

// The window's colours.
namespace couleurs {
constexpr uint32_t Sarcelle = 0x20B0B0;     // window, information panel
constexpr uint32_t BleuPanneau = 0x27B7EC;  // parameters, calibration, reception
constexpr uint32_t Lavande = 0xC79EF6;      // password panel
constexpr uint32_t BleuVolet = 0x17A7DC;    // sliding cover
constexpr uint32_t BleuCiel = 0xA6CAF0;     // edits, links list, gauges
constexpr uint32_t Marine = 0x000080;
constexpr uint32_t Noir = 0x000000;
constexpr uint32_t Pourpre = 0x800080;
constexpr uint32_t Aqua = 0x00FFFF;
constexpr uint32_t Bleu = 0x0000FF;
constexpr uint32_t Vert = 0x008000;
constexpr uint32_t Bordeaux = 0x800000;
constexpr uint32_t Fuchsia = 0xFF00FF;
constexpr uint32_t Magenta = 0xCC0066;
constexpr uint32_t VertFonce = 0x004600;
constexpr uint32_t RougeFonce = 0xAB0000;
constexpr uint32_t SarcelleFoncee = 0x004848;
constexpr uint32_t BleuFonce = 0x004080;
}  // namespace couleurs
