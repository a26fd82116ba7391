#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/descripteur.h"

// A text file's bytes, given a block at a time, cut into numbered lines of
// UTF-8. The program writes Windows-1252; a file saved again by an editor may
// be UTF-8, with or without a byte-order mark: a line that is valid UTF-8 is
// taken as such. A line ends at CR LF, LF or a lone CR. Nothing is kept but
// the line being cut, so memory does not grow with the file.
namespace science {

// Longer lines are damage (a file that is not text, or two files run
// together): their bytes are skipped to the next line end.
inline constexpr size_t LigneMaximale = 4096;

class DecoupeurLignes {
  public:
    std::function<void(size_t numero, std::string_view ligne)> OnLigne;
    // What the reading noticed: the encoding once, each line too long.
    std::function<void(size_t numero, std::string message)> OnAnomalie;

    void Octets(std::string_view bloc);
    // The end of the file: a last line without its end is a line.
    void Fin();
    size_t Lignes() const { return numero_; }

  private:
    void FinLigne();

    std::string ligne_;
    size_t numero_ = 0;
    bool debut_ = true;  // the file's first bytes, where a byte-order mark stands
    std::string bom_;    // its bytes seen so far
    bool apresCr_ = false;
    bool tropLongue_ = false;
    bool utf8Dit_ = false;
};

// Opens a regular file for reading. Anything else (a named pipe, a device, a
// folder) raises EInOutError saying what it is, without waiting on it: a
// pipe with no writer would block the open for ever. A missing or unreadable
// file raises EInOutError with the system's error.
platform::Descripteur OuvrirFichierOrdinaire(const std::string& chemin);

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool Utf8Valide(std::string_view octets);

}  // namespace science
