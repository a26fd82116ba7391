#include "bench/rapport.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace banc {
namespace {

bool echec = false;

}  // namespace

void Faute(const std::string& texte) {
    std::printf("  FAILED: %s\n", texte.c_str());
    echec = true;
}

bool Echec() {
    return echec;
}

double Mediane(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

std::string DateHeure() {
    const std::time_t maintenant = std::time(nullptr);
    char date[64];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", std::localtime(&maintenant));
    return date;
}

}  // namespace banc
