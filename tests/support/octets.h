#pragma once

#include <initializer_list>
#include <string>

// Bytes as the line carries them, from their values (0 to 255).
inline std::string Octets(std::initializer_list<int> valeurs) {
    std::string s;
    for (int v : valeurs) s += static_cast<char>(v);
    return s;
}

// A measurement frame's payload: the mode byte, then the green, red and
// temperature counts, high byte first.
inline std::string PayloadMesure(int mode, int vert, int rouge, int temperature) {
    return Octets({mode, vert >> 8, vert & 0xFF, rouge >> 8, rouge & 0xFF, temperature >> 8,
                   temperature & 0xFF});
}
