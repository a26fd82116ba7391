#pragma once

#include <array>
#include <streambuf>

// A stream buffer over a file descriptor that keeps the first write error's
// errno: a stream's failbit says that something failed, not what, and a full
// disk must be told apart from a reader that went away.
namespace platform {

class FluxDescripteur : public std::streambuf {
  public:
    explicit FluxDescripteur(int fd);
    ~FluxDescripteur() override;
    FluxDescripteur(const FluxDescripteur&) = delete;
    FluxDescripteur& operator=(const FluxDescripteur&) = delete;

    // Writes what is buffered; the first error's errno, 0 while none.
    int Vider();
    int Erreur() const { return erreur_; }

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    int fd_;
    int erreur_ = 0;
    std::array<char, 65536> tampon_;
};

}  // namespace platform
