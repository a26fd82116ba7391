#include "science/soleil.h"

#include <erfa.h>
#include <erfam.h>

#include <cmath>

#include "science/refraction.h"

namespace science {

namespace {

constexpr double JourUnix = 2440587.5;  // Julian date of 1970-01-01 00:00
constexpr double SecondesParJour = 86400.0;
constexpr double Degre = ERFA_DD2R;
// Seconds between the nodes of the slowly changing part.
constexpr double EcartNoeuds = 10800;

// ERFA and the maths library are plain SSE code. When the upper halves of
// the AVX registers are left dirty (Qt's start-up leaves them so), every SSE
// instruction waits on them: the sun took seven times as long in a Qt
// process. Clearing them costs one instruction.
void RegistresPropres() {
#if defined(__x86_64__)
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx) __asm__ volatile("vzeroupper");
#endif
}

Soleil::Lent CalculerLent(double tt1, double tt2) {
    Soleil::Lent l{};
    double ehpv[2][3];
    eraEpv00(tt1, tt2, ehpv, l.ebpv);
    for (int i = 0; i < 3; ++i) l.ehp[i] = ehpv[0][i];
    eraXys00b(tt1, tt2, &l.x, &l.y, &l.s);
    return l;
}

PositionSoleil Observer(const Soleil::Lent& l, double utc, double deltaT, const Site& site,
                        const Meteo& meteo) {
    const double ut2 = utc / SecondesParJour;
    const double tt2 = (utc + deltaT) / SecondesParJour;
    eraASTROM astrom;
    eraApco(JourUnix, tt2, const_cast<double(*)[3]>(l.ebpv), const_cast<double*>(l.ehp), l.x, l.y,
            l.s, eraEra00(JourUnix, ut2), site.longitude * Degre, site.latitude * Degre,
            site.altitude, 0, 0, eraSp00(JourUnix, tt2), 0, 0, &astrom);

    // From the observer to the sun; the sun's own motion during the light
    // time (8 minutes at 13 m/s) is far below what matters here.
    double p[3];
    for (int i = 0; i < 3; ++i) p[i] = (l.ebpv[0][i] - l.ehp[i]) - astrom.eb[i];
    const double norme = eraPm(p);
    for (double& c : p) c /= norme;
    double propre[3], cirs[3], ri, di;
    eraAb(p, astrom.v, astrom.em, astrom.bm1, propre);
    eraRxp(astrom.bpn, propre, cirs);
    eraC2s(cirs, &ri, &di);

    // Refraction is added afterwards: SOFA's model fails below about 3°.
    PositionSoleil position;
    double aob, zob, hob, dob, rob;
    eraAtioq(ri, di, &astrom, &aob, &zob, &hob, &dob, &rob);
    position.azimut = aob / Degre;
    position.elevationVraie = 90.0 - zob / Degre;
    position.elevationApparente =
        ElevationApparente(position.elevationVraie, meteo.pressionHpa, meteo.temperatureC);
    position.distance = eraPm(const_cast<double*>(l.ehp));
    return position;
}

}  // namespace

PositionSoleil CalculerPositionSoleil(double utc, const Site& site, const Meteo& meteo,
                                      double deltaT) {
    RegistresPropres();
    const Soleil::Lent l = CalculerLent(JourUnix, (utc + deltaT) / SecondesParJour);
    return Observer(l, utc, deltaT, site, meteo);
}

const Soleil::Lent& Soleil::Noeud(int64_t noeud) {
    const auto trouve = noeuds_.find(noeud);
    if (trouve != noeuds_.end()) return trouve->second;
    // A long file sweeps forward: old nodes are not needed again.
    if (noeuds_.size() > 4096) noeuds_.clear();
    return noeuds_.emplace(noeud, CalculerLent(JourUnix, noeud * EcartNoeuds / SecondesParJour))
        .first->second;
}

PositionSoleil Soleil::Position(double utc, const Site& site, const Meteo& meteo) {
    const Question question{utc,           site.latitude,     site.longitude,
                            site.altitude, meteo.pressionHpa, meteo.temperatureC};
    if (dernier_ && dernier_->first == question) return dernier_->second;
    RegistresPropres();
    const double tt = utc + deltaT_;
    const double n = std::floor(tt / EcartNoeuds);
    const double f = tt / EcartNoeuds - n;
    // Copies: fetching a node may clear the map.
    const auto premier = static_cast<int64_t>(n);
    const Lent a = Noeud(premier);
    const Lent b = Noeud(premier + 1);
    const Lent c = Noeud(premier + 2);
    // Lagrange's parabola through the nodes at 0, 1 and 2, taken between the
    // first two: the orbit's curvature over three hours (90 km of the
    // Earth's path off a straight line) is then left out to some ten metres.
    const double wa = (f - 1) * (f - 2) / 2, wb = -f * (f - 2), wc = f * (f - 1) / 2;
    const auto mix = [&](double u, double v, double w) { return wa * u + wb * v + wc * w; };
    Lent l{};
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < 3; ++i) l.ebpv[k][i] = mix(a.ebpv[k][i], b.ebpv[k][i], c.ebpv[k][i]);
    for (int i = 0; i < 3; ++i) l.ehp[i] = mix(a.ehp[i], b.ehp[i], c.ehp[i]);
    l.x = mix(a.x, b.x, c.x);
    l.y = mix(a.y, b.y, c.y);
    l.s = mix(a.s, b.s, c.s);
    const PositionSoleil p = Observer(l, utc, deltaT_, site, meteo);
    dernier_.emplace(question, p);
    return p;
}

}  // namespace science
