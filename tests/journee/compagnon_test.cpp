// Each program finds the other beside itself, installed or in the build
// tree, else leaves it to the PATH.

#include "journee/compagnon.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/support/dossier.h"

namespace journee {
namespace {

TEST(Compagnon, ACoteSinonDansLArbreDeConstructionSinonLePath) {
    Dossier d;
    const auto executable = [&](const std::string& chemin, mode_t mode) {
        std::filesystem::create_directories(std::filesystem::path(chemin).parent_path());
        std::ofstream(chemin) << "#!/bin/sh\n";
        chmod(chemin.c_str(), mode);
    };
    const std::string installe = d.Fichier("bin"), construit = d.Fichier("build/archivage");
    executable(installe + "/solvenare-journee", 0755);
    executable(d.Fichier("build/journee/solvenare-journee"), 0755);
    executable(construit + "/solvenare-journee", 0644);  // not executable: no candidate
    std::filesystem::create_directories(d.Fichier("vide/solvenare-journee"));
    const struct {
        std::string ici, attendu;
    } cas[] = {
        {installe, installe + "/solvenare-journee"},
        {construit, construit + "/../journee/solvenare-journee"},
        {d.Fichier("vide"), "solvenare-journee"},
        {"", "solvenare-journee"},
    };
    for (const auto& c : cas)
        EXPECT_EQ(Compagnon(c.ici, "solvenare-journee", "journee"), c.attendu) << c.ici;
    EXPECT_FALSE(DossierDuProgramme().empty());
}

}  // namespace
}  // namespace journee
