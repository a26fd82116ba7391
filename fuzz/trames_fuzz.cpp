// Fuzzes the photometer's bytes through the framer and the decoding behind
// the reception panel, without the window: the frames' fields, the optical
// depths, the temperature, their texts and the data file's record line. Fast
// enough for millions of inputs, where reception_fuzz replays the whole road.
//
// An input is
//   0      bit 0: identification frames (11-byte packets) or measurement
//          frames (8 bytes); bits 1-3: the calibration constants' counts
//          taken from bytes 5-12 instead of typical values
//   1-2    pressure, hPa (modulo 10000)
//   3      elevation, degrees (modulo 91; 0 has no air mass)
//   4      day of the year (1 to 256 here), for the Earth-Sun distance
//   5-12   the four calibration counts (see byte 0)
//   then   pieces of the line: a length byte, then that many bytes
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <optional>
#include <string>

#include "fuzz/checks.h"
#include "fuzz/framing_model.h"
#include "link/comdatapacket.h"
#include "measurement/astronomie.h"
#include "measurement/calculs.h"
#include "measurement/protocole.h"
#include "recording/lignes.h"

using seriallink::TComDataPacket;

using measurement::DecoderIdentification;
using measurement::DecoderMesure;
using measurement::VoltsParCompte;
using namespace measurement;
using namespace recording;

namespace {

struct Reglages {
    bool identifications = false;
    double v0Vert = 2.12, vnVert = 0.01, v0Rouge = 2.05, vnRouge = 0.01;
    double rapportPression = 1;
    double masseAir = 1;
    bool masseAirDefinie = true;
    double distance = 1;
};

int Compte(const uint8_t* p) {
    return (p[0] << 8 | p[1]) % 1024;
}

Reglages LireEnTete(const uint8_t* d, std::size_t n) {
    uint8_t h[13] = {};
    for (std::size_t i = 0; i < sizeof h && i < n; ++i) h[i] = d[i];
    Reglages r;
    r.identifications = h[0] & 1;
    if (h[0] & 0x0E) {
        r.v0Vert = Compte(h + 5) * VoltsParCompte;
        r.vnVert = Compte(h + 7) * VoltsParCompte;
        r.v0Rouge = Compte(h + 9) * VoltsParCompte;
        r.vnRouge = Compte(h + 11) * VoltsParCompte;
    }
    r.rapportPression = RapportPression((h[1] << 8 | h[2]) % 10000);
    const int angle = h[3] % 91;
    try {
        r.masseAir = MasseAir(angle);
    } catch (const std::exception&) {
        r.masseAirDefinie = false;
    }
    r.distance = DistanceTerreSoleil(1 + h[4]);
    return r;
}

void VerifierIdentification(const std::string& payload) {
    const auto id = DecoderIdentification(payload);
    if (!id) Fail("an identification packet of 10 bytes not decoded");
    const auto octet = [&](int i) { return static_cast<uint8_t>(payload[i]); };
    if (id->numero != octet(0) || id->version != octet(1)) Fail("number or version misread");
    // Accepted when every constant, rounded to 0.01 V, stays below 5.00 V:
    // a count of 1023 (4.995 V) rounds to 5.00.
    bool attendue = true;
    for (int i = 2; i < 10; i += 2)
        if ((octet(i) << 8 | octet(i + 1)) >= 1023) attendue = false;
    if (id->acceptee != attendue) Fail("identification accepted against its counts");
    for (double v : {id->v0Vert, id->vnVert, id->v0Rouge, id->vnRouge})
        if (!std::isfinite(v) || v < 0 || std::fabs(v * 100 - std::nearbyint(v * 100)) > 1e-6)
            Fail("a constant not rounded to 0.01 V");
}

void VerifierMesure(const std::string& payload, const Reglages& r) {
    const auto m = DecoderMesure(payload);
    if (!m) Fail("a measurement packet of 7 bytes not decoded");
    const auto octet = [&](int i) { return static_cast<uint8_t>(payload[i]); };
    if (m->mode != octet(0)) Fail("mode byte misread");
    if (m->compteVert != (octet(1) << 8 | octet(2)) || m->compteRouge != (octet(3) << 8 | octet(4)))
        Fail("counts misread");

    const std::string vVert = TexteTension(m->vVert);
    const std::string vRouge = TexteTension(m->vRouge);
    if (vVert != ExpectedVoltage(m->compteVert) || vRouge != ExpectedVoltage(m->compteRouge))
        Fail("voltage text " + vVert + " / " + vRouge);

    std::string eo[2];
    const double v[2] = {m->vVert, m->vRouge};
    const double v0[2] = {r.v0Vert, r.v0Rouge};
    const double vn[2] = {r.vnVert, r.vnRouge};
    const double tau[2] = {TauRayleighVert, TauRayleighRouge};
    for (int c = 0; c < 2; ++c) {
        const auto valeur = r.masseAirDefinie
                                ? EpaisseurOptique(v[c], v0[c], vn[c], tau[c], r.distance,
                                                   r.rapportPression, r.masseAir)
                                : std::nullopt;
        if (valeur && !std::isfinite(static_cast<double>(*valeur)))
            Fail("optical depth not finite");
        if (valeur && vn[c] >= v[c]) Fail("optical depth where the dark voltage is not below");
        eo[c] = TexteEO(valeur);
        if (eo[c] != "------" && !IsOpticalDepth(eo[c])) Fail("optical depth text " + eo[c]);
        if (!valeur && eo[c] != "------") Fail("a text for no optical depth");
        if (valeur && (eo[c][0] == '-') != std::signbit(*valeur))
            Fail("optical depth text " + eo[c] + " with the other sign");
    }

    const auto degres = Temperature(m->temperatureBrute);
    const std::string t = degres ? TexteTemperature(*degres) : "----";
    if (t != "----" && !IsTemperature(t)) Fail("temperature text " + t);

    const std::string ligne =
        LigneEnregistrement(recording::ModeSimple, "09:05:03", vVert, eo[0], vRouge, eo[1], t);
    const std::string attendue = std::string(recording::ModeSimple) + ";09:05:03;" + vVert + ";" +
                                 eo[0] + ";" + vRouge + ";" + eo[1] + ";" + t;
    if (ligne != attendue) Fail("record line \"" + ligne + "\"");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const Reglages r = LireEnTete(data, size);
    const std::size_t taille = r.identifications ? 11 : 8;

    TComDataPacket framer;
    framer.SetStartString("\xFF");
    framer.SetSize(static_cast<int32_t>(taille));
    FramingModel modele;
    modele.Reset(taille);
    std::deque<std::string> attendus;
    framer.OnPacket = [&](TObject*, const std::string& paquet) {
        if (attendus.empty() || paquet != attendus.front()) Fail("framer and model part");
        attendus.pop_front();
        if (paquet.size() != taille - 1) Fail("a packet of the wrong size");
        if (r.identifications)
            VerifierIdentification(paquet);
        else
            VerifierMesure(paquet, r);
    };

    std::size_t i = 13;
    while (i < size) {
        const std::size_t longueur = std::min<std::size_t>(data[i], size - i - 1);
        const std::string morceau(reinterpret_cast<const char*>(data + i + 1), longueur);
        i += 1 + longueur;
        if (morceau.empty()) continue;
        attendus = modele.Append(morceau);
        framer.AppendData(morceau);
        if (!attendus.empty()) Fail("a packet the framer did not deliver");
        if (framer.Pending() != modele.Pending()) Fail("framer keeps other bytes than the model");
        if (framer.Pending().size() > static_cast<std::size_t>(framer.MaxBufferSize()) &&
            !framer.InsidePacket())
            Fail("Pending above MaxBufferSize");
    }
    return 0;
}
