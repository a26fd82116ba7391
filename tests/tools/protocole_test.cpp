#include "tools/simulator/protocole.h"

#include <gtest/gtest.h>

#include <vector>

#include "measurement/protocole.h"

using namespace simulateur;

namespace {

std::string Octets(std::initializer_list<int> valeurs) {
    std::string s;
    for (int v : valeurs) s.push_back(static_cast<char>(v));
    return s;
}

// What a reader makes of a byte string: the requests in order.
std::vector<TLecteurRequetes::Requete> Requetes(TLecteurRequetes& l, const std::string& octets) {
    std::vector<TLecteurRequetes::Requete> r;
    for (char c : octets)
        if (auto q = l.Lire(static_cast<uint8_t>(c)); q != TLecteurRequetes::Requete::Aucune)
            r.push_back(q);
    return r;
}

using R = TLecteurRequetes::Requete;

}  // namespace

TEST(Trames, LayoutsAreBigEndianAfterTheStartByte) {
    // 2.12 V, 0.01 V and 2.05 V read back at two decimals.
    const Identification defaut;
    EXPECT_EQ(TrameIdentification(defaut),
              Octets({0xFF, 7, 12, 0x01, 0xB2, 0x00, 0x02, 0x01, 0xA4, 0x00, 0x02}));
    const Identification id{255, 25, 0x0400, 0x00FF, 0x0123, 0};
    EXPECT_EQ(CommandeEcriture(id),
              Octets({0xFF, 0x80, 255, 25, 0x04, 0x00, 0x00, 0xFF, 0x01, 0x23, 0x00, 0x00}));
    EXPECT_EQ(TrameMesure(Mode::Continu, {1022, 0x1FF, 780}),
              Octets({0xFF, 0xF0, 0x03, 0xFE, 0x01, 0xFF, 0x03, 0x0C}));
    EXPECT_EQ(TrameMesure(Mode::Simple, {0, 0, 0}).substr(0, 2), Octets({0xFF, 0xA0}));
}

TEST(Trames, VoltagesRoundToTheNearestCount) {
    EXPECT_EQ(CompteDeTension(2.12), 434);  // 434.18
    EXPECT_EQ(CompteDeTension(0.01), 2);    // 2.05
    EXPECT_EQ(CompteDeTension(4.99), 1022);
    EXPECT_EQ(CompteDeTension(5.0), 1024);
    EXPECT_EQ(CompteDeTension(-1.0), 0);
}

TEST(LecteurRequetes, FindsRequestsAmongOtherBytes) {
    TLecteurRequetes l;
    EXPECT_EQ(Requetes(l, Octets({0xFF, 0x40})), std::vector<R>{R::Identification});
    // A doubled start byte, stray bytes, a lone code without its start byte.
    EXPECT_EQ(Requetes(l, Octets({0x12, 0xFF, 0xFF, 0x40, 0x40, 0xFF, 0x41, 0x40, 0x00})),
              std::vector<R>{R::Identification});
    // Byte by byte, across calls.
    EXPECT_EQ(Requetes(l, Octets({0xFF})), std::vector<R>{});
    EXPECT_EQ(Requetes(l, Octets({0x40})), std::vector<R>{R::Identification});
}

TEST(LecteurRequetes, WriteCommandTakesTenDataBytesWhateverTheyAre) {
    TLecteurRequetes l;
    // FF and 40 inside the fields are data, not a new request.
    const Identification id{0xFF, 0x40, 0x00FF, 0xFF40, 0x40FF, 0x0102};
    const std::string commande = CommandeEcriture(id);
    EXPECT_EQ(Requetes(l, commande + Octets({0xFF, 0x40})),
              (std::vector<R>{R::Ecriture, R::Identification}));
    EXPECT_EQ(l.Ecriture(), id);

    // A command cut short and forgotten leaves no trace in what follows.
    EXPECT_EQ(Requetes(l, commande.substr(0, 6)), std::vector<R>{});
    l.Reinitialiser();
    EXPECT_EQ(Requetes(l, Octets({0xFF, 0x40})), std::vector<R>{R::Identification});
    EXPECT_EQ(l.Ecriture(), id);
}

// The simulator's bytes are written apart from the program's protocol: the
// two must agree, each checked against the other.
TEST(DeuxCotes, TheSimulatorAndTheProgramSpeakTheSameBytes) {
    EXPECT_EQ(measurement::ChaineDebut(), std::string(1, static_cast<char>(OctetDebut)));
    EXPECT_EQ(static_cast<uint8_t>(Mode::Simple), measurement::ModeSimple);
    EXPECT_EQ(static_cast<uint8_t>(Mode::Continu), measurement::ModeContinu);
    EXPECT_EQ(VoltsParCompte, measurement::VoltsParCompte);
    const Identification defaut;
    EXPECT_EQ(TrameIdentification(defaut).size(), size_t{measurement::TailleTrameIdentification});
    EXPECT_EQ(TrameMesure(Mode::Simple, {}).size(), size_t{measurement::TailleTrameMesure});
    EXPECT_EQ(CommandeEcriture(defaut).size(), size_t{measurement::TailleCommandeEcriture});

    // The program's request, as the simulator reads it.
    TLecteurRequetes l;
    EXPECT_EQ(Requetes(l, measurement::RequeteIdentification()), std::vector<R>{R::Identification});

    const Identification identifications[] = {defaut,
                                              {0, 0, 0, 0, 0, 0},
                                              {255, 99, 1023, 1, 512, 1024},
                                              {42, 13, 0x01FF, 3, 0x0240, 0xFF}};
    for (const Identification& id : identifications) {
        SCOPED_TRACE(static_cast<int>(id.numero));
        // The simulator's frame, as the program decodes it (after the start
        // byte, which the framer takes).
        const auto lue = measurement::DecoderIdentification(TrameIdentification(id).substr(1));
        ASSERT_TRUE(lue.has_value());
        EXPECT_EQ(lue->numero, id.numero);
        EXPECT_EQ(lue->version, id.version);
        // The program shows hundredths of a volt.
        EXPECT_NEAR(lue->v0Vert, TensionDeCompte(id.v0Vert), 0.005 + 1e-9);
        EXPECT_NEAR(lue->vnVert, TensionDeCompte(id.vnVert), 0.005 + 1e-9);
        EXPECT_NEAR(lue->v0Rouge, TensionDeCompte(id.v0Rouge), 0.005 + 1e-9);
        EXPECT_NEAR(lue->vnRouge, TensionDeCompte(id.vnRouge), 0.005 + 1e-9);

        // The program's write command, as the simulator reads it.
        const std::string commande = measurement::CommandeEcriture(
            id.numero, id.version, TensionDeCompte(id.v0Vert), TensionDeCompte(id.vnVert),
            TensionDeCompte(id.v0Rouge), TensionDeCompte(id.vnRouge));
        EXPECT_EQ(commande, CommandeEcriture(id));
        EXPECT_EQ(Requetes(l, commande), std::vector<R>{R::Ecriture});
        EXPECT_EQ(l.Ecriture(), id);
    }

    const struct {
        Mode mode;
        Comptes comptes;
    } mesures[] = {{Mode::Simple, {0, 0, 0}},
                   {Mode::Continu, {1023, 0x1FF, 780}},
                   {Mode::Simple, {0xFF, 0x100, 0xFFFF}}};
    for (const auto& m : mesures) {
        SCOPED_TRACE(m.comptes.vert);
        const auto lue = measurement::DecoderMesure(TrameMesure(m.mode, m.comptes).substr(1));
        ASSERT_TRUE(lue.has_value());
        EXPECT_EQ(lue->mode, static_cast<uint8_t>(m.mode));
        EXPECT_EQ(lue->compteVert, m.comptes.vert);
        EXPECT_EQ(lue->compteRouge, m.comptes.rouge);
        EXPECT_EQ(lue->temperatureBrute, m.comptes.temperature);
        EXPECT_DOUBLE_EQ(lue->vVert, TensionDeCompte(m.comptes.vert));
        EXPECT_DOUBLE_EQ(lue->vRouge, TensionDeCompte(m.comptes.rouge));
    }
}
