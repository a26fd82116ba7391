#pragma once

#include <optional>

// The aerosol optical depth of a channel, the gases removed, and its
// standard uncertainty (GUM, JCGM 100:2008: first-order propagation,
// contributions added in quadrature).
namespace science {

struct VoieAerosol {
    double v = 0, v0 = 0, vn = 0;  // volts: the reading, the calibration, the dark reading
    double tauRayleigh = 0;        // vertical, at the record's pressure
    double tauOzone = 0;           // vertical
};

struct Trajet {
    double distance = 1;  // Earth–Sun, AU
    double masseAir = 1;  // Kasten and Young, for the aerosol and the molecules
    double masseAirOzone = 1;
    double pression = 1013.25;  // hPa
};

// Beer–Lambert: τ_a = [ln(V0 / d²) − ln(V − Vn)] / m − τ_R − τ_O3 m_O3 / m.
// Nothing when Vn is not below V, V0 is not positive, or m is not a
// positive finite number.
std::optional<double> ProfondeurAerosol(const VoieAerosol& voie, const Trajet& trajet);

// The standard uncertainties of the inputs.
struct IncertitudesEntrees {
    // V0, relative: the stated default when no calibration gives its own
    // (1.5 %, a Langley calibration's usual standard error on a good site).
    double v0Relative = 0.015;
    double volts = 5.0 / 1024;  // one count of the converter, on V
    double pressionHpa = 3;
    double ozoneRelative = 0.10;
};

struct IncertitudeAerosol {
    std::optional<double> vert, rouge, angstrom;
};

// u(τ) of each channel: V0 and the reading are each channel's own, the
// pressure and the ozone column the same for both. u(α) from both depths,
// with the pressure's and the ozone's contributions to the two depths added
// before squaring since they move together. Nothing where the depth is.
IncertitudeAerosol Incertitudes(const VoieAerosol& vert, const VoieAerosol& rouge,
                                const Trajet& trajet, double lambdaVert, double lambdaRouge,
                                const IncertitudesEntrees& u = {});
// The same when each channel's V0 has its own uncertainty (a calibration
// history's): each channel's inputs are its own.
IncertitudeAerosol Incertitudes(const VoieAerosol& vert, const VoieAerosol& rouge,
                                const Trajet& trajet, double lambdaVert, double lambdaRouge,
                                const IncertitudesEntrees& uVert,
                                const IncertitudesEntrees& uRouge);

}  // namespace science
