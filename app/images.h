#pragma once

// The window's pictures, in the program's resources.
namespace images {
inline constexpr const char* Logo = ":/pictures/illustration.svg";
inline constexpr const char* Serie = ":/pictures/serial_cable.svg";
inline constexpr const char* Fichiers = ":/pictures/file_box.svg";
inline constexpr const char* Informations = ":/pictures/question_mark_red.svg";
inline constexpr const char* PointInterrogationOrange = ":/pictures/question_mark_orange.svg";
inline constexpr const char* TitreParametres = ":/pictures/heading_parametres_des_mesures.svg";
inline constexpr const char* TitreEtalonnages = ":/pictures/heading_etalonnages.svg";
inline constexpr const char* TitreMotDePasse = ":/pictures/heading_mot_de_passe.svg";
inline constexpr const char* TitreReception = ":/pictures/heading_reception_des_mesures.svg";
inline constexpr const char* TitreSolvenare = ":/pictures/title_solvenare.svg";
inline constexpr const char* Xper = ":/pictures/xper.svg";
inline constexpr const char* Demarrer = ":/pictures/button_demarrer.svg";
inline constexpr const char* Arreter = ":/pictures/button_arreter.svg";
inline constexpr const char* Ecrire = ":/pictures/button_ecrire.svg";
inline constexpr const char* PouceBleu = ":/pictures/thumb_up_panel_blue.svg";
inline constexpr const char* PouceLavande = ":/pictures/thumb_up_lavender.svg";
inline constexpr const char* PouceSarcelle = ":/pictures/thumb_up_teal.svg";
inline constexpr const char* CroixBleue = ":/pictures/cross_panel_blue.svg";
inline constexpr const char* CroixLavande = ":/pictures/cross_lavender.svg";
inline constexpr const char* Cahier = ":/pictures/notebook.svg";
inline constexpr const char* BouleVerte = ":/pictures/ball_green.svg";
inline constexpr const char* BouleRouge = ":/pictures/ball_red.svg";
inline constexpr const char* BouleNoire = ":/pictures/ball_black.svg";
inline constexpr const char* Thermometre = ":/pictures/thermometer.svg";
inline constexpr const char* ThermometreMiroir = ":/pictures/thermometer_mirrored.svg";
inline constexpr const char* CarreRAZ = ":/pictures/reset_square.svg";
inline constexpr const char* FlecheVerte = ":/pictures/arrow_green.svg";
inline constexpr const char* FlecheRouge = ":/pictures/arrow_red.svg";
inline constexpr const char* Icone = ":/pictures/icon.svg";
}  // namespace images
