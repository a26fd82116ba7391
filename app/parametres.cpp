#include "app/parametres.h"

std::vector<std::string> PortsEnregistres(const std::vector<std::string>& lignes) {
    std::vector<std::string> ports;
    const auto ligne = [&](size_t i) { return i < lignes.size() ? lignes[i] : std::string(); };
    size_t i = 0;
    while (i < lignes.size()) {
        if (ligne(i + 1) == SectionPortSerie) {
            ports.push_back(ligne(i + 2));
            i += 3;
        } else {
            i += 2;
        }
    }
    return ports;
}

std::vector<std::string> LignesParametres(const std::string& port) {
    return {BanniereParametres, SectionPortSerie, port};
}
