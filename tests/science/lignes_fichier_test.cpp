#include "science/lignes_fichier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace science {
namespace {

struct Decoupe {
    std::vector<std::string> lignes;  // "n:texte"
    std::vector<std::string> anomalies;
};

// The bytes given `taille` at a time, as a file is read in blocks.
Decoupe Decouper(const std::string& octets, size_t taille) {
    Decoupe d;
    DecoupeurLignes decoupeur;
    decoupeur.OnLigne = [&d](size_t n, std::string_view l) {
        d.lignes.push_back(std::to_string(n) + ":" + std::string(l));
    };
    decoupeur.OnAnomalie = [&d](size_t n, std::string m) {
        d.anomalies.push_back(std::to_string(n) + ":" + m);
    };
    for (size_t i = 0; i < octets.size(); i += taille)
        decoupeur.Octets(std::string_view(octets).substr(i, taille));
    decoupeur.Fin();
    return d;
}

TEST(DecoupeurLignes, LinesComeOutTheSameWhateverTheBlocks) {
    const std::string longue(LigneMaximale + 1, 'x');
    const std::string juste(LigneMaximale, 'y');
    const std::string utf8 = "UTF-8 : lu comme tel";
    const struct {
        const char* cas;
        std::string octets;
        std::vector<std::string> lignes;
        std::vector<std::string> anomalies;
    } cas[] = {
        {"CR LF", "a\r\nb\r\n", {"1:a", "2:b"}, {}},
        {"LF, and a last line without its end", "a\nb", {"1:a", "2:b"}, {}},
        {"a lone CR, and blank lines", "a\rb\n\r\n\nc", {"1:a", "2:b", "3:", "4:", "5:c"}, {}},
        {"Windows-1252", "-- Photom\xE8tre n\xB0 7\r\n", {"1:-- Photomètre n° 7"}, {}},
        {"UTF-8 without a mark, said where it is first seen",
         "SOLVENARE\r\n-- Photomètre n° 7\r\nTempérature\r\n",
         {"1:SOLVENARE", "2:-- Photomètre n° 7", "3:Température"},
         {"2:fichier en " + utf8}},
        {"UTF-8 with a mark",
         "\xEF\xBB\xBFSOLVENARE\r\n\xC3\xA9\r\n",
         {"1:SOLVENARE", "2:é"},
         {"1:fichier en " + utf8}},
        {"a mark alone", "\xEF\xBB\xBF", {}, {"1:fichier en " + utf8}},
        {"the mark's first bytes only, as Windows-1252", "\xEF\xBBx\n", {"1:ï»x"}, {}},
        {"a line too long is damage, the next one is read",
         "a\n" + longue + "\nb\n",
         {"1:a", "3:b"},
         {"2:ligne de plus de 4096 octets : ligne endommagée, ignorée"}},
        {"a line just long enough", juste + "\r\n", {"1:" + juste}, {}},
        {"a last line too long, without its end",
         longue,
         {},
         {"1:ligne de plus de 4096 octets : ligne endommagée, ignorée"}},
    };
    for (const auto& c : cas)
        for (const size_t taille : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{1} << 16}) {
            const Decoupe d = Decouper(c.octets, taille);
            EXPECT_EQ(d.lignes, c.lignes) << c.cas << ", blocks of " << taille;
            EXPECT_EQ(d.anomalies, c.anomalies) << c.cas << ", blocks of " << taille;
        }
}

TEST(DecoupeurLignes, OnlyWellFormedUtf8IsTakenForIt) {
    const struct {
        std::string octets;
        bool valide;
    } cas[] = {
        {"", true},
        {"Température 25 °C", true},
        {"\xF0\x9F\x8C\x9E", true},   // U+1F31E, four bytes
        {"\xE8", false},              // "è" in Windows-1252
        {"\xC0\xAF", false},          // overlong "/"
        {"\xE0\x80\xAF", false},      // overlong, three bytes
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
        {"\xC3", false},              // cut short
        {"\xC3\x28", false},
        {"\xF8\x88\x80\x80\x80", false},
    };
    for (const auto& c : cas) EXPECT_EQ(Utf8Valide(c.octets), c.valide) << c.octets;
}

}  // namespace
}  // namespace science
