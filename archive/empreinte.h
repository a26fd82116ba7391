#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// SHA-256 (FIPS 180-4) of a data file's bytes, so that a file that changed
// is told from one that grew: the imported bytes' hash must still be that of
// the file's beginning.
namespace archive {

class Empreinte {
  public:
    Empreinte();
    void Ajouter(std::string_view octets);
    // 64 lower-case hexadecimal digits; the object is spent after.
    std::string Hex();

  private:
    void Bloc(const unsigned char* bloc);
    uint32_t h_[8];
    unsigned char tampon_[64];
    size_t rempli_ = 0;
    uint64_t longueur_ = 0;
};

std::string EmpreinteDe(std::string_view octets);

}  // namespace archive
