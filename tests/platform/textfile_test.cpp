#include "platform/textfile.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace {

struct TempDir {
    std::string path;
    TempDir() {
        char tmpl[] = "/tmp/solvenare-test-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string File(const std::string& name) const { return path + "/" + name; }
};

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(TextFile, Windows1252RoundTripsTheProgramsAccents) {
    const std::string utf8 = "Paramètres Février Août Décembre n° € œ";
    const std::string cp1252 = Utf8ToWindows1252(utf8);
    EXPECT_EQ(cp1252,
              "Param\xE8tres F\xE9vrier Ao\xFBt D\xE9"
              "cembre n\xB0 \x80 \x9C");
    EXPECT_EQ(Windows1252ToUtf8(cp1252), utf8);
    EXPECT_EQ(Utf8ToWindows1252("→ 日"), "? ?") << "no such character in the code page";
    EXPECT_EQ(Utf8ToWindows1252(std::string("\xE9t\xE9", 3)), std::string("\xE9t\xE9", 3))
        << "bytes that are not UTF-8 pass unchanged";
}

TEST(TextFile, LinesEndAtCrLfLfOrCr) {
    TempDir dir;
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"", {}},
        {"\r\n", {""}},
        {"Param\xE8tres\r\n", {"Paramètres"}},
        {std::string("x\0y\r\n", 5), {std::string("x\0y", 3)}},
    };
    for (const auto& c : cases) {
        WriteBytes(dir.File("f.txt"), c.bytes);
        EXPECT_EQ(ReadTextLines(dir.File("f.txt")), c.lines) << c.bytes;
    }
}

TEST(TextFile, WritingReplacesTheWholeFileByteExactly) {
    TempDir dir;
    const std::string path = dir.File("Parametres.txt");
    WriteBytes(path, "old content that is longer than the new one\r\n\r\n\r\n");
    WriteTextFile(path, {"SOLVENARE V1.0 - Paramètres", "[PortSerie]", "COM3"});
    EXPECT_EQ(ReadBytes(path), "SOLVENARE V1.0 - Param\xE8tres\r\n[PortSerie]\r\nCOM3\r\n");
}

TEST(TextFile, FailuresCarryTheSystemText) {
    TempDir dir;
    try {
        ReadTextLines(dir.File("absent.txt"));
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Fichier introuvable");
    }
    try {
        WriteTextFile(dir.path, {"x"});  // a directory cannot be written as a file
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Erreur E/S 21");
    }
    EXPECT_FALSE(FileExists(dir.path));
    EXPECT_FALSE(FileExists(dir.File("absent.txt")));
}

TEST(TextFile, AFileErrorNamesTheFileAndGivesTheFrenchCause) {
    const locale_t francais = newlocale(LC_ALL_MASK, "fr_FR.UTF-8", locale_t{});
    if (francais == locale_t{}) GTEST_SKIP() << "the French locale is not installed";
    freelocale(francais);
    // Whatever the user's locale (the tests run in C.UTF-8): the program's
    // messages are French. The errors a user meets with a data file.
    const struct {
        int erreur;
        const char* premiere;
        const char* cause;
    } cas[] = {
        {ENOENT, "Fichier introuvable", "aucun fichier ou dossier de ce type"},
        {EIO, "Erreur E/S 5", "erreur d'entrée/sortie"},
        {EACCES, "Erreur E/S 13", "permission non accordée"},
        {EISDIR, "Erreur E/S 21", "est un dossier"},
        {ENOSPC, "Erreur E/S 28", "aucun espace disponible sur le périphérique"},
        {EROFS, "Erreur E/S 30", "système de fichiers accessible en lecture seulement"},
        {EDQUOT, "Erreur E/S 122", "débordement du quota d'espace disque"},
    };
    for (const auto& c : cas) {
        const EInOutError e(c.erreur, "/media/clé/mesures.txt");
        EXPECT_EQ(e.Message(), std::string(c.premiere) + "\n/media/clé/mesures.txt : " + c.cause);
        EXPECT_EQ(e.ErrorCode(), c.erreur);
        EXPECT_EQ(EInOutError(c.erreur).Message(), c.premiere) << "without a file, one line";
    }
}
