// Every include of the program's folders held against the README's layer
// table: the table is the one statement of which folder may use which, and
// every library exports the repository root, so nothing else stops an
// include that crosses the layers the wrong way.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One row of the table.
struct Couche {
    std::string dossier;             // "tools/simulator/"
    std::set<std::string> dossiers;  // folders it may use
    std::set<std::string> fichiers;  // single files it may use in folders it may not
    bool qt = false;
    bool verifiee = false;  // false under an empty "Uses" cell: tests, benchmarks, no code
};

std::string Lire(const fs::path& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<std::string> Cellules(const std::string& ligne) {
    std::vector<std::string> cellules;
    std::string cellule;
    for (size_t i = 1; i < ligne.size(); ++i) {
        if (ligne[i] == '|' && ligne[i - 1] != '\\') {
            cellules.push_back(cellule);
            cellule.clear();
        } else {
            cellule += ligne[i];
        }
    }
    return cellules;
}

// The rows of the table under "## Layout"; problems with the table itself
// go to `erreurs`.
std::vector<Couche> LireTableau(const std::string& readme, std::vector<std::string>& erreurs) {
    std::vector<Couche> couches;
    std::istringstream lignes(readme);
    std::string ligne;
    bool section = false;
    const std::regex code("`([^`]*)`");
    const std::regex qt("\\bQt\\b");
    while (std::getline(lignes, ligne)) {
        if (ligne.rfind("## ", 0) == 0) section = ligne == "## Layout";
        if (!section || ligne.rfind("| `", 0) != 0) continue;
        const auto cellules = Cellules(ligne);
        if (cellules.size() != 3) {
            erreurs.push_back("README: a row of the layer table without three cells: " + ligne);
            continue;
        }
        std::smatch m;
        if (!std::regex_search(cellules[0], m, code) || m[1].str().back() != '/') {
            erreurs.push_back("README: a row of the layer table names no folder: " + ligne);
            continue;
        }
        Couche c;
        c.dossier = m[1];
        const std::string& usages = cellules[2];
        c.verifiee = usages.find_first_not_of(' ') != std::string::npos;
        c.qt = std::regex_search(usages, qt);
        for (auto i = std::sregex_iterator(usages.begin(), usages.end(), code);
             i != std::sregex_iterator(); ++i) {
            const std::string nom = (*i)[1];
            (nom.back() == '/' ? c.dossiers : c.fichiers).insert(nom);
        }
        couches.push_back(std::move(c));
    }
    if (couches.empty()) erreurs.push_back("README: no layer table under \"## Layout\"");
    // A folder that no row holds is a misspelling, and would allow nothing.
    for (const Couche& c : couches)
        for (const std::string& d : c.dossiers)
            if (std::none_of(couches.begin(), couches.end(),
                             [&](const Couche& autre) { return autre.dossier == d; }))
                erreurs.push_back("README: `" + c.dossier + "` uses `" + d +
                                  "`, which is no row of the layer table");
    return couches;
}

// The row of a path: the longest folder that holds it.
const Couche* CoucheDe(const std::vector<Couche>& couches, const std::string& chemin) {
    const Couche* trouvee = nullptr;
    for (const Couche& c : couches)
        if (chemin.rfind(c.dossier, 0) == 0 &&
            (trouvee == nullptr || c.dossier.size() > trouvee->dossier.size()))
            trouvee = &c;
    return trouvee;
}

// The includes of one file of `couche` that the table does not allow, as
// "file:line: why".
std::vector<std::string> Verifier(const std::vector<Couche>& couches, const Couche& couche,
                                  const std::string& chemin, const std::string& contenu) {
    std::vector<std::string> erreurs;
    const std::regex guillemets(R"(^\s*#\s*include\s*"([^"]*)\")");
    const std::regex chevrons(R"(^\s*#\s*include\s*<(Q[A-Za-z]*)[/>])");
    std::istringstream lignes(contenu);
    std::string ligne;
    for (int numero = 1; std::getline(lignes, ligne); ++numero) {
        const std::string lieu = chemin + ":" + std::to_string(numero) + ": ";
        std::smatch m;
        if (std::regex_search(ligne, m, chevrons) && !couche.qt) {
            erreurs.push_back(lieu + "includes <" + m[1].str() + ">, and `" + couche.dossier +
                              "` does not use Qt");
            continue;
        }
        if (!std::regex_search(ligne, m, guillemets)) continue;
        const std::string inclus = m[1];
        const Couche* cible = CoucheDe(couches, inclus);
        if (cible == nullptr) {
            erreurs.push_back(lieu + "includes \"" + inclus +
                              "\", which names no folder of the layer table");
        } else if (cible != &couche && !couche.dossiers.count(cible->dossier) &&
                   !couche.fichiers.count(inclus)) {
            erreurs.push_back(lieu + "includes \"" + inclus + "\": `" + couche.dossier +
                              "` may not use `" + cible->dossier + "`");
        }
    }
    return erreurs;
}

bool Source(const fs::path& p) {
    return p.extension() == ".h" || p.extension() == ".cpp";
}

const char* const TableauEssai = R"(# Essai

## Layout

| Folder | Holds | Uses |
|---|---|---|
| `platform/` | the system | the C++ library, POSIX |
| `measurement/` | frames | `platform/` |
| `science/` | pure | `platform/`, `measurement/` (the formula), ERFA |
| `journee/` | the day | `science/`, Qt (Charts) |
| `app/` | the window | `platform/`, the day view's link (`journee/canal.h`), Qt |
| `tools/simulator/` | the simulator | `platform/` |
| `tools/artwork/` | lettering | Qt |
| `tests/` | tests | |

## Next

| `fuzz/` | not a row: another section | `app/` |
)";

}  // namespace

TEST(Couches, IncludesAreHeldAgainstTheTable) {
    std::vector<std::string> erreursTableau;
    const auto couches = LireTableau(TableauEssai, erreursTableau);
    ASSERT_EQ(erreursTableau, std::vector<std::string>{});
    ASSERT_EQ(couches.size(), 8u);
    const auto trouver = [&](const std::string& dossier) -> const Couche& {
        return *std::find_if(couches.begin(), couches.end(),
                             [&](const Couche& c) { return c.dossier == dossier; });
    };

    const struct {
        const char* comment;
        const char* dossier;
        const char* contenu;
        std::vector<std::string> erreurs;
    } cas[] = {
        {"its own folder and a lower one",
         "science/",
         "#include \"science/site.h\"\n#include \"platform/numbers.h\"\n  #  include "
         "\"measurement/protocole.h\"\n#include <cmath>\n",
         {}},
        {"a higher folder, named with file and line",
         "measurement/",
         "#include <string>\n\n#include \"science/site.h\"\n",
         {"f.cpp:3: includes \"science/site.h\": `measurement/` may not use `science/`"}},
        {"a folder one step away is not used through another",
         "journee/",
         "#include \"measurement/protocole.h\"\n",
         {"f.cpp:1: includes \"measurement/protocole.h\": `journee/` may not use "
          "`measurement/`"}},
        {"only the file named of a folder",
         "app/",
         "#include \"journee/canal.h\"\n#include \"journee/fenetre.h\"\n",
         {"f.cpp:2: includes \"journee/fenetre.h\": `app/` may not use `journee/`"}},
        {"an include that names no folder",
         "platform/",
         "#include \"serial.h\"\n",
         {"f.cpp:1: includes \"serial.h\", which names no folder of the layer table"}},
        {"Qt only where it is listed",
         "science/",
         "#include <QString>\n#include <QtCharts/QChart>\n#include <queue>\n",
         {"f.cpp:1: includes <QString>, and `science/` does not use Qt",
          "f.cpp:2: includes <QtCharts>, and `science/` does not use Qt"}},
        {"Qt where listed", "journee/", "#include <QtCharts/QChart>\n#include <QWidget>\n", {}},
        {"the longest folder is the row",
         "tools/simulator/",
         "#include \"tools/simulator/ciel.h\"\n#include \"tools/artwork/x.h\"\n",
         {"f.cpp:2: includes \"tools/artwork/x.h\": `tools/simulator/` may not use "
          "`tools/artwork/`"}},
        {"the simulator is no program's client",
         "tools/simulator/",
         "#include \"measurement/protocole.h\"\n",
         {"f.cpp:1: includes \"measurement/protocole.h\": `tools/simulator/` may not use "
          "`measurement/`"}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.comment);
        EXPECT_EQ(Verifier(couches, trouver(c.dossier), "f.cpp", c.contenu), c.erreurs);
    }
    EXPECT_FALSE(trouver("tests/").verifiee);
    EXPECT_TRUE(trouver("platform/").verifiee);
}

TEST(Couches, ATableThatNamesAnUnknownFolderIsRefused) {
    std::vector<std::string> erreurs;
    LireTableau("## Layout\n\n| `a/` | x | `b/` |\n| `c/` | y | `a/` |\n", erreurs);
    EXPECT_EQ(erreurs, std::vector<std::string>{
                           "README: `a/` uses `b/`, which is no row of the layer table"});
    erreurs.clear();
    LireTableau("# No table\n", erreurs);
    EXPECT_EQ(erreurs.size(), 1u);
}

// The real tree against the real README.
TEST(Couches, TheTreeReadsAsTheReadmeSays) {
    const fs::path racine = SOLVENARE_SOURCE_DIR;
    std::vector<std::string> erreurs;
    const auto couches = LireTableau(Lire(racine / "README.md"), erreurs);
    ASSERT_FALSE(couches.empty());

    int fichiers = 0;
    for (const Couche& couche : couches) {
        if (!couche.verifiee || !fs::is_directory(racine / couche.dossier)) continue;
        for (const auto& e : fs::recursive_directory_iterator(racine / couche.dossier)) {
            if (!e.is_regular_file() || !Source(e.path())) continue;
            const std::string chemin = fs::relative(e.path(), racine).generic_string();
            // A subfolder with a row of its own is checked under that row.
            if (CoucheDe(couches, chemin) != &couche) continue;
            ++fichiers;
            for (auto& erreur : Verifier(couches, couche, chemin, Lire(e.path())))
                erreurs.push_back(std::move(erreur));
        }
    }
    EXPECT_GT(fichiers, 100);

    // Code in a folder the table does not hold would escape the check.
    for (auto e = fs::recursive_directory_iterator(racine); e != fs::recursive_directory_iterator();
         ++e) {
        const std::string chemin = fs::relative(e->path(), racine).generic_string();
        // Build folders and hidden ones hold no source of the program.
        if (chemin[0] == '.' || chemin.rfind("build", 0) == 0) {
            if (e->is_directory()) e.disable_recursion_pending();
            continue;
        }
        if (e->is_regular_file() && Source(e->path()) && chemin.find('/') != std::string::npos &&
            CoucheDe(couches, chemin) == nullptr)
            erreurs.push_back(chemin + ": no row of the README's layer table holds it");
    }
    EXPECT_EQ(erreurs, std::vector<std::string>{});
}
