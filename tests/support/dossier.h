#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A fresh folder under /tmp, removed with everything in it at the end.
struct Dossier {
    std::string chemin;
    Dossier() {
        char modele[] = "/tmp/solvenare-test-XXXXXX";
        chemin = mkdtemp(modele);
    }
    ~Dossier() { std::filesystem::remove_all(chemin); }
    Dossier(const Dossier&) = delete;
    Dossier& operator=(const Dossier&) = delete;
    std::string Fichier(const std::string& nom) const { return chemin + "/" + nom; }
};

// A file's bytes, "" when it cannot be read.
inline std::string LireOctets(const std::string& chemin) {
    std::ifstream in(chemin, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
