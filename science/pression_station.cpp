#include "science/pression_station.h"

#include <cmath>

#include "platform/numbers.h"

namespace science {

double PressionStandard(double altitudeM) {
    return 1013.25 * std::pow(1 - 2.25577e-5 * altitudeM, 5.25588);
}

std::optional<std::string> RemarquePression(double pression, double altitude) {
    const double attendue = PressionStandard(altitude);
    if (!(std::fabs(pression - attendue) > EcartPressionSignale)) return std::nullopt;
    return "pression de " + FormatFixe(pression, 0) + " hPa, loin des " + FormatFixe(attendue, 1) +
           " hPa de l'atmosphère standard à " + FormatFixe(altitude, 0) +
           " m d'altitude : lue au niveau de la mer ? Les épaisseurs optiques en dépendent "
           "(--pression HPA pour donner celle de la station)";
}

}  // namespace science
