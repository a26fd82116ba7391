#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/descripteur.h"
#include "science/filtrage_nuages.h"
#include "science/recalcul.h"
#include "science/site.h"

// The CSV's rows while the cloud screening has not seen every record: it
// judges a record against its whole series, so a row's last two cells are
// known only once the file has been read. The rows wait in an unnamed
// temporary file, each with what the screening asks again for its verdict,
// and are copied out with their level at the end: every record read and
// computed once, memory independent of the file's size, and nothing left on
// disk however the run ends.
namespace journee {

class RangsDifferes {
  public:
    explicit RangsDifferes(const science::Site& site) : site_(site) {}

    // The temporary file, in dossier; the errno of a failure, 0 otherwise.
    int Ouvrir(const std::string& dossier);
    // A record, in file order: its row kept, the screening's first pass
    // given it. The errno of a failed write to the temporary file.
    int Ajouter(const science::Resultat& r);
    // After the last record: the header and every row with its level to
    // sortie, calling ecrit after each block written (it may throw to stop).
    // The errno of a failure to write or read the temporary file.
    int Recopier(std::ostream& sortie, const std::function<void()>& ecrit);

  private:
    int Vider();

    science::Site site_;
    science::FiltreNuages filtre_;
    platform::Descripteur fichier_;
    std::vector<science::Resultat> lot_;
    std::ostringstream texte_;
    std::string tampon_;
};

}  // namespace journee
