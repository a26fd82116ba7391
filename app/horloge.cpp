#include "app/horloge.h"

namespace horloge {
namespace {

std::string DeuxChiffres(int n) {
    return n > 9 ? std::to_string(n) : "0" + std::to_string(n);
}

}  // namespace

std::string NomJour(int weekday) {
    static const char* noms[] = {"Lundi",    "Mardi",  "Mercredi", "Jeudi",
                                 "Vendredi", "Samedi", "Dimanche"};
    return weekday >= 1 && weekday <= 7 ? noms[weekday - 1] : "";
}

std::string NomMois(int month) {
    static const char* noms[] = {"Janvier",   "Février", "Mars",     "Avril",
                                 "Mai",       "Juin",    "Juillet",  "Août",
                                 "Septembre", "Octobre", "Novembre", "Décembre"};
    return month >= 1 && month <= 12 ? noms[month - 1] : "";
}

std::string LibelleDate(const TDateTime& t) {
    return NomJour(t.weekday) + " " + std::to_string(t.day) + " " + NomMois(t.month) + " - ";
}

std::string LibelleHeure(const TDateTime& t) {
    return DeuxChiffres(t.hour) + ":" + DeuxChiffres(t.minute) + ":" + DeuxChiffres(t.second) +
           "  ";
}

}  // namespace horloge
