#include "measurement/calculs.h"

#include <cmath>

#include "measurement/protocole.h"
#include "platform/numbers.h"

namespace measurement {

namespace {

constexpr long double PiEtendu = 3.1415926535897932385L;

}  // namespace

double RapportPression(int pression) {
    return pression / static_cast<double>(PressionStandard);
}

double MasseAir(int angle) {
    const long double sinus = std::sin(angle / 180.0L * PiEtendu);
    if (sinus == 0) throw EZeroDivide();
    return static_cast<double>(1 / sinus);
}

std::optional<long double> EpaisseurOptique(double v, double v0, double vn, double tau,
                                            double distance, double rapportPression,
                                            double masseAir) {
    // Written so that a NaN anywhere also ends here.
    if (!(vn < v)) return std::nullopt;
    if (!(v0 > 0) || !std::isfinite(masseAir) || !(masseAir > 0)) return std::nullopt;
    const long double d = distance;
    const long double m = masseAir;
    const long double eo = (std::log(v0 / (d * d)) - std::log(static_cast<long double>(v) - vn) -
                            tau * static_cast<long double>(rapportPression) * m) /
                           m;
    if (!std::isfinite(eo)) return std::nullopt;
    return eo;
}

std::optional<double> Temperature(int32_t count) {
    const long double vt = count * static_cast<long double>(measurement::VoltsParCompte) / 2.375L;
    // The value under the root is rounded to a double before the root is
    // taken: that is how the sensor's formula is defined.
    const double somme = static_cast<double>((1.8639L - vt) / 3.88e-6L + 2196200.0L);
    if (!(somme >= 0)) return std::nullopt;
    const double t = static_cast<double>(std::sqrt(static_cast<long double>(somme)) - 1481.96L - 1);
    if (!std::isfinite(t)) return std::nullopt;
    return t;
}

std::string TexteEO(std::optional<long double> eo) {
    if (!eo) return "------";
    // A depth just below zero keeps its minus: "-0,00" tells a slightly
    // negative result from a true zero, as printf's "%1.2f" would.
    const std::string texte = FormatFixeEtendu(*eo, 2);
    return std::signbit(*eo) && texte.front() != '-' ? "-" + texte : texte;
}

std::string TexteTension(double volts) {
    return FormatFixe(volts, 3);
}

std::string TexteTemperature(double degres) {
    if (!std::isfinite(degres)) return "----";
    const double entier = std::nearbyint(degres);
    // nearbyint keeps the sign of -0.4: "-0" must not show.
    return TexteEntier(entier == 0 ? 0 : static_cast<long long>(entier));
}

}  // namespace measurement
