#include "calibration/saisie.h"

namespace calibration {

void FiltrerChiffres(char& Key) {
    if ((Key >= '0' && Key <= '9') || Key == ToucheEffacement) return;
    Key = 0;
}

void FiltrerDecimal(char& Key, const std::string& texte) {
    if (Key == '.' || Key == ',') {
        Key = ContientVirgule(texte) ? 0 : ',';
        return;
    }
    FiltrerChiffres(Key);
}

bool ContientVirgule(const std::string& texte) {
    return texte.find(',') != std::string::npos;
}

}  // namespace calibration
