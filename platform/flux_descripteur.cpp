#include "platform/flux_descripteur.h"

#include <cstring>

#include "platform/descripteur.h"

namespace platform {

FluxDescripteur::FluxDescripteur(int fd) : fd_(fd) {
    setp(tampon_.data(), tampon_.data() + tampon_.size());
}

FluxDescripteur::~FluxDescripteur() {
    Vider();
}

int FluxDescripteur::Vider() {
    const size_t n = static_cast<size_t>(pptr() - pbase());
    setp(tampon_.data(), tampon_.data() + tampon_.size());
    // After an error nothing more is written: the output would have a hole.
    if (n > 0 && erreur_ == 0) erreur_ = EcrireTout(fd_, tampon_.data(), n);
    return erreur_;
}

FluxDescripteur::int_type FluxDescripteur::overflow(int_type c) {
    if (Vider() != 0) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize FluxDescripteur::xsputn(const char* s, std::streamsize n) {
    if (erreur_ != 0) return 0;
    const auto place = epptr() - pptr();
    if (n <= place) {
        std::memcpy(pptr(), s, static_cast<size_t>(n));
        pbump(static_cast<int>(n));
        return n;
    }
    if (Vider() != 0) return 0;
    if (n < static_cast<std::streamsize>(tampon_.size())) {
        std::memcpy(pptr(), s, static_cast<size_t>(n));
        pbump(static_cast<int>(n));
        return n;
    }
    erreur_ = EcrireTout(fd_, s, static_cast<size_t>(n));
    return erreur_ == 0 ? n : 0;
}

int FluxDescripteur::sync() {
    return Vider() == 0 ? 0 : -1;
}

}  // namespace platform
