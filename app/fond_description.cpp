// The window's stored description: every control with its place, texts,
// fonts, colours and handlers, in stacking order (lowest first; windowed
// controls of a parent lie over its pictures and labels whatever the order).
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string_view>

#include "app/couleurs.h"
#include "app/description.h"
#include "app/fond.h"
#include "app/images.h"
#include "solvenare/version.h"

using toolkit::bvLowered;
using toolkit::bvRaised;
using toolkit::crHandPoint;
using toolkit::crIBeam;
using toolkit::taCenter;
using toolkit::TFontSpec;
using toolkit::tlCenter;

namespace {

using namespace couleurs;

TFontSpec P(int pixels, uint32_t color, bool bold = true) {
    TFontSpec f;
    f.pixelHeight = pixels;
    f.bold = bold;
    f.color = color;
    return f;
}

using F = TF_Fond;

// String literals joined at compile time: the table's texts are literals,
// and one of them carries the project's version.
template <std::size_t... N>
constexpr std::array<char, (N + ...) - sizeof...(N) + 1> Joindre(const char (&... textes)[N]) {
    std::array<char, (N + ...) - sizeof...(N) + 1> texte{};
    std::size_t i = 0;
    for (const std::string_view partie : {std::string_view(textes, N - 1)...})
        for (const char c : partie) texte[i++] = c;
    return texte;
}

constexpr auto LibelleVersion = Joindre("Version : ", solvenare::Version, " - Décembre 2010");

}  // namespace

const std::vector<Description>& DescriptionFond() {
    // clang-format off
    static const std::vector<Description> table = {
    // --- on the window, beneath every panel ---
    {.nom = "IM_Logo", .champ = &F::IM_Logo, .left = 0, .top = 0, .width = 369, .height = 369, .image = images::Logo},
    {.nom = "L_Date", .champ = &F::L_Date, .left = 105, .top = 355, .police = P(11, Noir)},
    {.nom = "L_Heure", .champ = &F::L_Heure, .left = 216, .top = 355, .police = P(11, Marine)},
    {.nom = "IM_Serie", .champ = &F::IM_Serie, .left = 356, .top = -12, .width = 193, .height = 131,
     .hint = "Choix du port série", .curseur = crHandPoint, .image = images::Serie,
     // The press alone pops the menu: the release would pop it a second time.
     .onMouseDown = &F::IM_SerieMouseDown},
    {.nom = "L_ComPort", .champ = &F::L_ComPort, .left = 396, .top = 96, .texte = "NEANT", .police = P(11, Noir)},
    {.nom = "IM_Fichiers", .champ = &F::IM_Fichiers, .left = 536, .top = 8, .width = 105, .height = 101,
     .hint = "Début : choix du fichier d'écriture des données", .curseur = crHandPoint,
     .image = images::Fichiers, .stretch = true, .onClick = &F::IM_FichiersClick},
    {.nom = "IM_Informations", .champ = &F::IM_Informations, .left = 656, .top = 28, .width = 50, .height = 74,
     .hint = "Informations", .curseur = crHandPoint, .image = images::Informations,
     .onClick = &F::IM_InformationsClick},
    {.nom = "CB_SerieProvisoire", .champ = &F::CB_SerieProvisoire, .left = 372, .top = 120, .width = 145,
     .height = 21, .visible = false},

    // --- measurement parameters ---
    {.nom = "P_ParametresMesures", .champ = &F::P_ParametresMesures, .left = 372, .top = 132, .width = 341,
     .height = 241, .couleur = BleuPanneau, .aCouleur = true, .visible = false, .bordure = bvLowered},
    {.nom = "L_PressionAtmospherique", .champ = &F::L_PressionAtmospherique, .parent = &F::P_ParametresMesures,
     .left = 36, .top = 92, .texte = "Pression atmosphérique :             hPa", .police = P(13, Marine)},
    {.nom = "L_AngleDElevation", .champ = &F::L_AngleDElevation, .parent = &F::P_ParametresMesures,
     .left = 52, .top = 120, .texte = "Angle d'élévation solaire :         deg", .police = P(13, Marine)},
    {.nom = "IM_ParametresDesMesures", .champ = &F::IM_ParametresDesMesures, .parent = &F::P_ParametresMesures,
     .left = 44, .top = 4, .width = 267, .height = 33, .image = images::TitreParametres},
    {.nom = "L_FichierEcriture", .champ = &F::L_FichierEcriture, .parent = &F::P_ParametresMesures,
     .left = 68, .top = 42, .texte = "Fichier d'écriture des données :", .police = P(13, Marine)},
    {.nom = "IM_OKParametresDesMesures", .champ = &F::IM_OKParametresDesMesures,
     .parent = &F::P_ParametresMesures, .left = 291, .top = 187, .width = 49, .height = 53,
     .hint = "Validation", .curseur = crHandPoint, .image = images::PouceBleu, .onClick = &F::IM_OKParametresDesMesuresClick},
    {.nom = "L_LiaisonPhotometre", .champ = &F::L_LiaisonPhotometre, .parent = &F::P_ParametresMesures,
     .left = 16, .top = 164, .texte = "Liaison avec photomètre :", .police = P(13, Marine)},
    {.nom = "LOKPortSerie", .champ = &F::LOKPortSerie, .parent = &F::P_ParametresMesures,
     .left = 204, .top = 164, .texte = "OK !", .police = P(13, Magenta)},
    {.nom = "LNomFichier", .champ = &F::LNomFichier, .parent = &F::P_ParametresMesures, .left = 13, .top = 65,
     .width = 315, .height = 19, .texte = "Fichier de données à écrire", .police = P(11, Magenta),
     .couleur = BleuPanneau, .aCouleur = true, .autoSize = false, .disposition = tlCenter, .onClick = &F::LNomFichierClick},
    {.nom = "EPression", .champ = &F::EPression, .parent = &F::P_ParametresMesures, .left = 216, .top = 90,
     .width = 45, .height = 21, .texte = "----", .police = P(11, Marine), .couleur = BleuCiel, .aCouleur = true,
     .curseur = crIBeam, .maxLength = 4, .tabOrder = 0, .onKeyPress = &F::EPressionKeyPress},
    {.nom = "EAngleElevation", .champ = &F::EAngleElevation, .parent = &F::P_ParametresMesures, .left = 240,
     .top = 118, .width = 25, .height = 21, .texte = "--", .police = P(11, Marine), .couleur = BleuCiel,
     .aCouleur = true, .curseur = crIBeam, .maxLength = 2, .tabOrder = 1, .onKeyPress = &F::EAngleElevationKeyPress},
    {.nom = "PBPortSerie", .champ = &F::PBPortSerie, .parent = &F::P_ParametresMesures, .left = 28, .top = 196,
     .width = 217, .height = 13, .maximum = 10},
    {.nom = "L_ConseilLiaison", .champ = &F::L_ConseilLiaison, .parent = &F::P_ParametresMesures, .left = 16,
     .top = 212, .texte = "Le photomètre ne répond pas : est-il allumé ?", .police = P(11, Magenta, false),
     .visible = false},
    {.nom = "L_ConseilLiaisonSuite", .champ = &F::L_ConseilLiaisonSuite, .parent = &F::P_ParametresMesures,
     .left = 16, .top = 225, .texte = "Vérifiez aussi le câble et le port série choisi.",
     .police = P(11, Magenta, false), .visible = false},

    // --- information ---
    {.nom = "P_Informations", .champ = &F::P_Informations, .left = 372, .top = 0, .width = 342, .height = 374,
     .couleur = Sarcelle, .aCouleur = true, .visible = false},
    {.nom = "L_Auteur", .champ = &F::L_Auteur, .parent = &F::P_Informations, .left = 0, .top = 84, .width = 342,
     .height = 16, .texte = "Conception et programmation : l'équipe Solvenare", .police = P(13, Pourpre),
     .autoSize = false, .alignement = taCenter},
    {.nom = "IM_Solvenare", .champ = &F::IM_Solvenare, .parent = &F::P_Informations, .left = 48, .top = 10,
     .width = 245, .height = 45, .image = images::TitreSolvenare},
    {.nom = "L_Version", .champ = &F::L_Version, .parent = &F::P_Informations, .left = 0, .top = 56,
     .width = 342, .height = 16, .texte = LibelleVersion.data(), .police = P(13, Aqua),
     .autoSize = false, .alignement = taCenter},
    {.nom = "L_Editeur", .champ = &F::L_Editeur, .parent = &F::P_Informations, .left = 0, .top = 104,
     .width = 342, .height = 16, .texte = "Logiciel libre pour l'enseignement et l'observation",
     .police = P(13, Pourpre), .autoSize = false, .alignement = taCenter},
    {.nom = "L_RessourcesInternet", .champ = &F::L_RessourcesInternet, .parent = &F::P_Informations,
     .left = 0, .top = 252, .width = 342, .height = 20, .texte = "Ressources Internet", .police = P(16, Marine),
     .autoSize = false, .alignement = taCenter},
    {.nom = "L_Documentation", .champ = &F::L_Documentation, .parent = &F::P_Informations, .left = 0,
     .top = 152, .width = 342, .height = 20, .texte = "Documentation du logiciel", .police = P(16, Bleu),
     .autoSize = false, .alignement = taCenter},
    {.nom = "IM_Documentation", .champ = &F::IM_Documentation, .parent = &F::P_Informations, .left = 128,
     .top = 180, .width = 81, .height = 48, .hint = "Fichier pdf", .curseur = crHandPoint,
     .image = images::Cahier, .onClick = &F::IM_DocumentationClick},
    {.nom = "IM_OKInformations", .champ = &F::IM_OKInformations, .parent = &F::P_Informations, .left = 298,
     .top = 321, .width = 47, .height = 53, .hint = "OK !", .curseur = crHandPoint, .image = images::PouceSarcelle,
     .onClick = &F::IM_OKInformationsClick},
    {.nom = "CB_RessourcesInternet", .champ = &F::CB_RessourcesInternet, .parent = &F::P_Informations,
     .left = 48, .top = 280, .width = 257, .height = 21, .police = P(11, Bleu), .couleur = BleuCiel,
     .aCouleur = true, .onClick = &F::CB_RessourcesInternetClick},

    // --- calibration ---
    {.nom = "P_Etalonnages", .champ = &F::P_Etalonnages, .left = 372, .top = 132, .width = 341, .height = 241,
     .couleur = BleuPanneau, .aCouleur = true, .visible = false, .bordure = bvLowered},
    {.nom = "IM_Etalonnage", .champ = &F::IM_Etalonnage, .parent = &F::P_Etalonnages, .left = 104, .top = 12,
     .width = 146, .height = 30, .image = images::TitreEtalonnages},
    {.nom = "L_Identification", .champ = &F::L_Identification, .parent = &F::P_Etalonnages, .left = 92,
     .top = 64, .texte = "Photomètre n°           version :", .police = P(13, Pourpre)},
    {.nom = "L_V0Vert", .champ = &F::L_V0Vert, .parent = &F::P_Etalonnages, .left = 66, .top = 114,
     .texte = "V   :            V", .police = P(13, Marine)},
    {.nom = "IM_LedVerteEtalon", .champ = &F::IM_LedVerteEtalon, .parent = &F::P_Etalonnages, .left = 30,
     .top = 108, .width = 25, .height = 25, .image = images::BouleVerte},
    {.nom = "L_0Vert", .champ = &F::L_0Vert, .parent = &F::P_Etalonnages, .left = 74, .top = 120, .texte = "o",
     .police = P(11, Marine)},
    {.nom = "LV0Vert", .champ = &F::LV0Vert, .parent = &F::P_Etalonnages, .left = 96, .top = 114, .width = 37,
     .height = 16, .texte = "-------", .police = P(13, VertFonce), .autoSize = false},
    {.nom = "IM_LedVerteEtalonNoir", .champ = &F::IM_LedVerteEtalonNoir, .parent = &F::P_Etalonnages,
     .left = 176, .top = 108, .width = 25, .height = 25, .image = images::BouleNoire},
    {.nom = "L_VnVert", .champ = &F::L_VnVert, .parent = &F::P_Etalonnages, .left = 210, .top = 114,
     .texte = "V        :            V", .police = P(13, Marine)},
    {.nom = "L_NVert", .champ = &F::L_NVert, .parent = &F::P_Etalonnages, .left = 220, .top = 120,
     .texte = "noir", .police = P(11, Marine)},
    {.nom = "LVnVert", .champ = &F::LVnVert, .parent = &F::P_Etalonnages, .left = 260, .top = 114, .width = 37,
     .height = 16, .texte = "-------", .police = P(13, Noir), .autoSize = false},
    {.nom = "IM_LedRougeEtalon", .champ = &F::IM_LedRougeEtalon, .parent = &F::P_Etalonnages, .left = 30,
     .top = 144, .width = 25, .height = 25, .image = images::BouleRouge},
    {.nom = "L_V0Rouge", .champ = &F::L_V0Rouge, .parent = &F::P_Etalonnages, .left = 66, .top = 150,
     .texte = "V   :            V", .police = P(13, Marine)},
    {.nom = "LV0Rouge", .champ = &F::LV0Rouge, .parent = &F::P_Etalonnages, .left = 96, .top = 150, .width = 37,
     .height = 16, .texte = "-------", .police = P(13, RougeFonce), .autoSize = false},
    {.nom = "L_0Rouge", .champ = &F::L_0Rouge, .parent = &F::P_Etalonnages, .left = 74, .top = 156, .texte = "o",
     .police = P(11, Marine)},
    {.nom = "IM_LedRougeEtalonNoir", .champ = &F::IM_LedRougeEtalonNoir, .parent = &F::P_Etalonnages,
     .left = 176, .top = 144, .width = 25, .height = 25, .image = images::BouleNoire},
    {.nom = "L_VnRouge", .champ = &F::L_VnRouge, .parent = &F::P_Etalonnages, .left = 210, .top = 150,
     .texte = "V        :            V", .police = P(13, Marine)},
    {.nom = "L_NRouge", .champ = &F::L_NRouge, .parent = &F::P_Etalonnages, .left = 220, .top = 156,
     .texte = "noir", .police = P(11, Marine)},
    {.nom = "LVnRouge", .champ = &F::LVnRouge, .parent = &F::P_Etalonnages, .left = 260, .top = 150,
     .width = 37, .height = 16, .texte = "-------", .police = P(13, Noir), .autoSize = false},
    {.nom = "IM_Identification", .champ = &F::IM_Identification, .parent = &F::P_Etalonnages, .left = 52,
     .top = 48, .width = 30, .height = 44,
     .hint = "Ce que le photomètre a dit de lui-même : numéro, version et constantes d'étalonnage",
     .image = images::PointInterrogationOrange},
    {.nom = "IM_Xper", .champ = &F::IM_Xper, .parent = &F::P_Etalonnages, .left = 16, .top = 199, .width = 66,
     .height = 35, .hint = "Mode expert : écrire de nouvelles constantes dans le photomètre (mot de passe)",
     .image = images::Xper, .onClick = &F::IM_XperClick},
    {.nom = "IM_FINEtalonnages", .champ = &F::IM_FINEtalonnages, .parent = &F::P_Etalonnages, .left = 314,
     .top = 1, .width = 26, .height = 23, .hint = "Fermeture", .curseur = crHandPoint,
     .image = images::CroixBleue, .onClick = &F::IM_FINEtalonnagesClick},
    {.nom = "LIdentificationPhotometre", .champ = &F::LIdentificationPhotometre, .parent = &F::P_Etalonnages,
     .left = 192, .top = 64, .texte = "007", .police = P(13, Marine)},
    {.nom = "LIdentificationLogiciel", .champ = &F::LIdentificationLogiciel, .parent = &F::P_Etalonnages,
     .left = 296, .top = 65, .texte = "0.10", .police = P(13, Marine)},
    {.nom = "LEcriturePhotometre", .champ = &F::LEcriturePhotometre, .parent = &F::P_Etalonnages, .left = 88,
     .top = 210, .texte = "ECRITURE PHOTOMETRE !", .police = P(13, Magenta), .visible = false},
    {.nom = "IM_OKEtalonnages", .champ = &F::IM_OKEtalonnages, .parent = &F::P_Etalonnages, .left = 291,
     .top = 187, .width = 49, .height = 53, .hint = "Validation", .curseur = crHandPoint,
     .image = images::PouceBleu, .onClick = &F::IM_OKEtalonnagesClick},
    {.nom = "EIdentificationPhotometre", .champ = &F::EIdentificationPhotometre, .parent = &F::P_Etalonnages,
     .left = 192, .top = 64, .width = 37, .height = 21, .police = P(11, Pourpre), .couleur = BleuCiel,
     .aCouleur = true, .visible = false, .maxLength = 3, .tabOrder = 0, .onKeyPress = &F::EIdentificationPhotometreKeyPress},
    {.nom = "EV0Vert", .champ = &F::EV0Vert, .parent = &F::P_Etalonnages, .left = 92, .top = 112, .width = 45,
     .height = 21, .police = P(11, Vert), .couleur = BleuCiel, .aCouleur = true, .visible = false,
     .maxLength = 4, .tabOrder = 1, .onKeyPress = &F::EV0VertKeyPress, .onChange = &F::EV0VertChange},
    {.nom = "EVnVert", .champ = &F::EVnVert, .parent = &F::P_Etalonnages, .left = 256, .top = 112, .width = 45,
     .height = 21, .police = P(11, Noir), .couleur = BleuCiel, .aCouleur = true, .visible = false,
     .maxLength = 4, .tabOrder = 2, .onKeyPress = &F::EVnVertKeyPress, .onChange = &F::EVnVertChange},
    {.nom = "EV0Rouge", .champ = &F::EV0Rouge, .parent = &F::P_Etalonnages, .left = 92, .top = 148, .width = 45,
     .height = 21, .police = P(11, Bordeaux), .couleur = BleuCiel, .aCouleur = true, .visible = false,
     .maxLength = 4, .tabOrder = 3, .onKeyPress = &F::EV0RougeKeyPress, .onChange = &F::EV0RougeChange},
    {.nom = "EVnRouge", .champ = &F::EVnRouge, .parent = &F::P_Etalonnages, .left = 256, .top = 148,
     .width = 45, .height = 21, .police = P(11, Noir), .couleur = BleuCiel, .aCouleur = true, .visible = false,
     .maxLength = 4, .tabOrder = 4, .onKeyPress = &F::EVnRougeKeyPress, .onChange = &F::EVnRougeChange},
    {.nom = "EIdentificationLogiciel", .champ = &F::EIdentificationLogiciel, .parent = &F::P_Etalonnages,
     .left = 292, .top = 64, .width = 37, .height = 21, .police = P(11, Pourpre), .couleur = BleuCiel,
     .aCouleur = true, .visible = false, .maxLength = 3, .tabOrder = 5, .onKeyPress = &F::EIdentificationLogicielKeyPress, .onChange = &F::EIdentificationLogicielChange},
    {.nom = "Edit1", .champ = &F::Edit1, .parent = &F::P_Etalonnages, .left = 272, .top = 24, .width = 21,
     .height = 21, .texte = "Edit1", .police = P(11, Noir, false), .tabOrder = 6, .onKeyPress = &F::Edit1KeyPress},
    {.nom = "Panel1", .champ = &F::Panel1, .parent = &F::P_Etalonnages, .left = 268, .top = 20, .width = 37,
     .height = 33, .couleur = BleuPanneau, .aCouleur = true},

    // --- password ---
    {.nom = "P_MotDePasse", .champ = &F::P_MotDePasse, .left = 188, .top = 120, .width = 341, .height = 113,
     .couleur = Lavande, .aCouleur = true, .visible = false, .bordure = bvLowered},
    {.nom = "IM_MotDePasse", .champ = &F::IM_MotDePasse, .parent = &F::P_MotDePasse, .left = 92, .top = 8,
     .width = 153, .height = 30, .image = images::TitreMotDePasse},
    {.nom = "IM_OKMotDePasse", .champ = &F::IM_OKMotDePasse, .parent = &F::P_MotDePasse, .left = 291,
     .top = 59, .width = 49, .height = 53, .hint = "Validation", .curseur = crHandPoint,
     .image = images::PouceLavande, .onClick = &F::IM_OKMotDePasseClick},
    {.nom = "IM_FINMotDePasse", .champ = &F::IM_FINMotDePasse, .parent = &F::P_MotDePasse, .left = 314,
     .top = 1, .width = 23, .height = 25, .hint = "Quitter XPert", .curseur = crHandPoint,
     .image = images::CroixLavande, .onClick = &F::IM_FINMotDePasseClick},
    {.nom = "EMotDePasse", .champ = &F::EMotDePasse, .parent = &F::P_MotDePasse, .left = 108, .top = 60,
     .width = 125, .height = 28, .police = P(16, Fuchsia), .couleur = Pourpre, .aCouleur = true,
     .passwordChar = '*', .tabOrder = 0, .onKeyPress = &F::EMotDePasseKeyPress},

    // --- reception ---
    {.nom = "P_ReceptionMesures", .champ = &F::P_ReceptionMesures, .left = 372, .top = 0, .width = 341,
     .height = 373, .couleur = BleuPanneau, .aCouleur = true, .visible = false, .bordure = bvLowered},
    {.nom = "IM_ReceptionMesures", .champ = &F::IM_ReceptionMesures, .parent = &F::P_ReceptionMesures,
     .left = 40, .top = 2, .width = 258, .height = 39, .image = images::TitreReception},
    {.nom = "IM_Demarrer", .champ = &F::IM_Demarrer, .parent = &F::P_ReceptionMesures, .left = 28, .top = 56,
     .width = 130, .height = 32, .image = images::Demarrer, .onClick = &F::IM_DemarrerClick},
    {.nom = "IM_Arreter", .champ = &F::IM_Arreter, .parent = &F::P_ReceptionMesures, .left = 28, .top = 56,
     .width = 130, .height = 32, .visible = false, .image = images::Arreter, .onClick = &F::IM_ArreterClick},
    {.nom = "IM_Ecrire", .champ = &F::IM_Ecrire, .parent = &F::P_ReceptionMesures, .left = 28, .top = 56,
     .width = 130, .height = 32, .curseur = crHandPoint, .visible = false, .image = images::Ecrire,
     .onClick = &F::IM_EcrireClick},
    {.nom = "IM_Thermometre", .champ = &F::IM_Thermometre, .parent = &F::P_ReceptionMesures, .left = 184,
     .top = 36, .width = 32, .height = 50, .image = images::Thermometre},
    {.nom = "IM_ThermometreMiroir", .champ = &F::IM_ThermometreMiroir, .parent = &F::P_ReceptionMesures,
     .left = 184, .top = 36, .width = 32, .height = 50, .visible = false, .image = images::ThermometreMiroir},
    {.nom = "L_Temperature", .champ = &F::L_Temperature, .parent = &F::P_ReceptionMesures, .left = 222,
     .top = 58, .texte = "T :         °C", .police = P(13, Marine)},
    {.nom = "LTemperature", .champ = &F::LTemperature, .parent = &F::P_ReceptionMesures, .left = 244,
     .top = 58, .texte = "----", .police = P(13, SarcelleFoncee)},
    {.nom = "L_Tensions", .champ = &F::L_Tensions, .parent = &F::P_ReceptionMesures, .left = 76, .top = 92,
     .texte = "Tensions ", .police = P(13, BleuFonce)},
    {.nom = "L_EO", .champ = &F::L_EO, .parent = &F::P_ReceptionMesures, .left = 172, .top = 92,
     .texte = "Epaisseurs optiques", .police = P(13, BleuFonce)},
    {.nom = "IM_LedVerte", .champ = &F::IM_LedVerte, .parent = &F::P_ReceptionMesures, .left = 30, .top = 108,
     .width = 25, .height = 25, .image = images::BouleVerte},
    {.nom = "L_Vert", .champ = &F::L_Vert, .parent = &F::P_ReceptionMesures, .left = 66, .top = 114,
     .texte = "V   :            V", .police = P(13, Marine)},
    {.nom = "L_vVert", .champ = &F::L_vVert, .parent = &F::P_ReceptionMesures, .left = 74, .top = 120,
     .texte = "v", .police = P(11, Marine)},
    {.nom = "LVVert", .champ = &F::LVVert, .parent = &F::P_ReceptionMesures, .left = 96, .top = 114,
     .texte = "------", .police = P(13, VertFonce)},
    {.nom = "L_EOVert", .champ = &F::L_EOVert, .parent = &F::P_ReceptionMesures, .left = 198, .top = 114,
     .texte = "EO   :", .police = P(13, Marine)},
    {.nom = "L_vEO", .champ = &F::L_vEO, .parent = &F::P_ReceptionMesures, .left = 218, .top = 120,
     .texte = "v", .police = P(11, Marine)},
    {.nom = "LEOVert", .champ = &F::LEOVert, .parent = &F::P_ReceptionMesures, .left = 240, .top = 114,
     .texte = "------", .police = P(13, VertFonce),
     .hint = "Épaisseur optique des aérosols du canal vert, sans la part de l'air (Rayleigh)"},
    {.nom = "IM_LedRouge", .champ = &F::IM_LedRouge, .parent = &F::P_ReceptionMesures, .left = 30, .top = 144,
     .width = 25, .height = 25, .image = images::BouleRouge},
    {.nom = "L_Rouge", .champ = &F::L_Rouge, .parent = &F::P_ReceptionMesures, .left = 66, .top = 150,
     .texte = "V   :            V", .police = P(13, Marine)},
    {.nom = "L_rRouge", .champ = &F::L_rRouge, .parent = &F::P_ReceptionMesures, .left = 74, .top = 156,
     .texte = "r", .police = P(11, Marine)},
    {.nom = "LVRouge", .champ = &F::LVRouge, .parent = &F::P_ReceptionMesures, .left = 96, .top = 150,
     .texte = "------", .police = P(13, RougeFonce)},
    {.nom = "L_EORouge", .champ = &F::L_EORouge, .parent = &F::P_ReceptionMesures, .left = 198, .top = 150,
     .texte = "EO   : ", .police = P(13, Marine)},
    {.nom = "L_rEO", .champ = &F::L_rEO, .parent = &F::P_ReceptionMesures, .left = 218, .top = 156,
     .texte = "r", .police = P(11, Marine)},
    {.nom = "LEORouge", .champ = &F::LEORouge, .parent = &F::P_ReceptionMesures, .left = 240, .top = 150,
     .texte = "------", .police = P(13, RougeFonce),
     .hint = "Épaisseur optique des aérosols du canal rouge, sans la part de l'air (Rayleigh)"},
    {.nom = "LEcriture", .champ = &F::LEcriture, .parent = &F::P_ReceptionMesures, .left = 104, .top = 182,
     .texte = "ECRITURE FICHIER !", .police = P(13, Magenta), .visible = false},
    {.nom = "IM_FINMesures", .champ = &F::IM_FINMesures, .parent = &F::P_ReceptionMesures, .left = 314,
     .top = 1, .width = 26, .height = 23, .hint = "Arrêt des mesures", .curseur = crHandPoint,
     .image = images::CroixBleue, .onClick = &F::IM_FINMesuresClick},
    {.nom = "B_Separation", .champ = &F::B_Separation, .parent = &F::P_ReceptionMesures, .left = 0, .top = 200,
     .width = 341, .height = 6},
    {.nom = "IM_LedVerteMax", .champ = &F::IM_LedVerteMax, .parent = &F::P_ReceptionMesures, .left = 30,
     .top = 220, .width = 25, .height = 25, .image = images::BouleVerte},
    {.nom = "L_VmaxVert", .champ = &F::L_VmaxVert, .parent = &F::P_ReceptionMesures, .left = 66, .top = 226,
     .texte = "V        :            V", .police = P(13, Marine)},
    {.nom = "L_vmaxV", .champ = &F::L_vmaxV, .parent = &F::P_ReceptionMesures, .left = 74, .top = 232,
     .texte = "vmax", .police = P(11, Marine)},
    {.nom = "LVMaxVert", .champ = &F::LVMaxVert, .parent = &F::P_ReceptionMesures, .left = 116, .top = 226,
     .texte = "---", .police = P(13, VertFonce)},
    {.nom = "L_EOMaxVert", .champ = &F::L_EOMaxVert, .parent = &F::P_ReceptionMesures, .left = 198,
     .top = 226, .texte = "EO        :", .police = P(13, Marine)},
    {.nom = "L_MaxEOVert", .champ = &F::L_MaxEOVert, .parent = &F::P_ReceptionMesures, .left = 218,
     .top = 232, .texte = "vmax", .police = P(11, Marine)},
    {.nom = "LEOMaxVert", .champ = &F::LEOMaxVert, .parent = &F::P_ReceptionMesures, .left = 260, .top = 226,
     .texte = "---", .police = P(13, VertFonce),
     .hint = "Épaisseur optique du canal vert au moment de sa tension maximale"},
    {.nom = "IM_RAZVert", .champ = &F::IM_RAZVert, .parent = &F::P_ReceptionMesures, .left = 100, .top = 252,
     .width = 12, .height = 13, .enabled = false, .image = images::CarreRAZ, .onClick = &F::IM_RAZVertClick},
    {.nom = "G_Vert", .champ = &F::G_Vert, .parent = &F::P_ReceptionMesures, .left = 116, .top = 252,
     .width = 128, .height = 13, .couleur = BleuCiel, .aCouleur = true,
     .hint = "Tension du canal vert ; la flèche marque le maximum depuis la remise à zéro",
     .maximum = 1024, .couleurAvant = Vert},
    {.nom = "IM_PointeurVert", .champ = &F::IM_PointeurVert, .parent = &F::P_ReceptionMesures, .left = 113,
     .top = 265, .width = 9, .height = 14, .image = images::FlecheVerte},
    {.nom = "IM_LedRougeMax", .champ = &F::IM_LedRougeMax, .parent = &F::P_ReceptionMesures, .left = 30,
     .top = 288, .width = 25, .height = 25, .image = images::BouleRouge},
    {.nom = "L_VmaxRouge", .champ = &F::L_VmaxRouge, .parent = &F::P_ReceptionMesures, .left = 66, .top = 294,
     .texte = "V        :            V", .police = P(13, Marine)},
    {.nom = "L_vmaxR", .champ = &F::L_vmaxR, .parent = &F::P_ReceptionMesures, .left = 74, .top = 300,
     .texte = "rmax", .police = P(11, Marine)},
    {.nom = "LVMaxRouge", .champ = &F::LVMaxRouge, .parent = &F::P_ReceptionMesures, .left = 116, .top = 294,
     .texte = "---", .police = P(13, RougeFonce)},
    {.nom = "L_EOMaxRouge", .champ = &F::L_EOMaxRouge, .parent = &F::P_ReceptionMesures, .left = 198,
     .top = 294, .texte = "EO        : ", .police = P(13, Marine)},
    {.nom = "L_MaxEORouge", .champ = &F::L_MaxEORouge, .parent = &F::P_ReceptionMesures, .left = 218,
     .top = 300, .texte = "rmax", .police = P(11, Marine)},
    {.nom = "LEOMaxRouge", .champ = &F::LEOMaxRouge, .parent = &F::P_ReceptionMesures, .left = 264,
     .top = 294, .texte = "---", .police = P(13, RougeFonce),
     .hint = "Épaisseur optique du canal rouge au moment de sa tension maximale"},
    {.nom = "IM_RAZRouge", .champ = &F::IM_RAZRouge, .parent = &F::P_ReceptionMesures, .left = 100,
     .top = 324, .width = 12, .height = 13, .enabled = false, .image = images::CarreRAZ,
     .onClick = &F::IM_RAZRougeClick},
    {.nom = "G_Rouge", .champ = &F::G_Rouge, .parent = &F::P_ReceptionMesures, .left = 116, .top = 324,
     .width = 128, .height = 13, .couleur = BleuCiel, .aCouleur = true,
     .hint = "Tension du canal rouge ; la flèche marque le maximum depuis la remise à zéro",
     .maximum = 1024, .couleurAvant = Bordeaux},
    {.nom = "IM_PointeurRouge", .champ = &F::IM_PointeurRouge, .parent = &F::P_ReceptionMesures, .left = 113,
     .top = 337, .width = 9, .height = 14, .image = images::FlecheRouge},

    // --- the sliding cover, over everything ---
    {.nom = "P_Volet", .champ = &F::P_Volet, .left = 372, .top = 200, .width = 341, .height = 173,
     .couleur = BleuVolet, .aCouleur = true, .visible = false, .bordure = bvRaised},
    };
    // clang-format on
    return table;
}

const Description& DescriptionDe(const std::string& nom) {
    for (const Description& d : DescriptionFond())
        if (nom == d.nom) return d;
    throw std::logic_error("no control named " + nom + " in the window's description");
}

const CourseVolet& CourseDuVolet() {
    // Closed where the table places the cover, over the maxima; open, its
    // top one pixel above the window's bottom edge.
    static const CourseVolet course{DescriptionDe("P_Volet").top, 372, 4};
    return course;
}
