#include "archive/empreinte.h"

#include <openssl/evp.h>

#include <cstdio>
#include <new>

namespace archive {

namespace {

// Only a program or library fault can make these fail.
void Verifier(int ok) {
    if (ok != 1) throw std::bad_alloc();
}

}  // namespace

Empreinte::Empreinte() : contexte_(EVP_MD_CTX_new()) {
    if (contexte_ == nullptr) throw std::bad_alloc();
    Verifier(EVP_DigestInit_ex(contexte_, EVP_sha256(), nullptr));
}

Empreinte::Empreinte(const Empreinte& autre) : contexte_(EVP_MD_CTX_new()) {
    if (contexte_ == nullptr) throw std::bad_alloc();
    Verifier(EVP_MD_CTX_copy_ex(contexte_, autre.contexte_));
}

Empreinte::~Empreinte() {
    EVP_MD_CTX_free(contexte_);
}

void Empreinte::Ajouter(std::string_view octets) {
    Verifier(EVP_DigestUpdate(contexte_, octets.data(), octets.size()));
}

std::string Empreinte::Hex() {
    unsigned char condense[EVP_MAX_MD_SIZE];
    unsigned int taille = 0;
    Verifier(EVP_DigestFinal_ex(contexte_, condense, &taille));
    std::string hex;
    char chiffres[3];
    for (unsigned int i = 0; i < taille; ++i) {
        std::snprintf(chiffres, sizeof chiffres, "%02x", condense[i]);
        hex += chiffres;
    }
    return hex;
}

std::string EmpreinteDe(std::string_view octets) {
    Empreinte e;
    e.Ajouter(octets);
    return e.Hex();
}

}  // namespace archive
