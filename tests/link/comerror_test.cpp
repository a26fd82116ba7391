#include "link/comerror.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "platform/localisation.h"

using namespace seriallink;

namespace {

constexpr const char* suffix = " (win error code: %d)";

// Messages in the locale and language list a French user may have; back to
// the C locale afterwards, where the other tests expect English.
class Francais : public ::testing::Test {
  protected:
    void SetUp() override {
        // The serial layer looks its messages up once, at the first error:
        // here in the C locale, so that they stay English for other tests.
        EComPort::MessageOf(CError_OpenFailed);
        if (std::setlocale(LC_MESSAGES, "fr_FR.UTF-8") == nullptr)
            GTEST_SKIP() << "the locale fr_FR.UTF-8 is not generated here "
                            "(scripts/install-deps.sh generates it)";
    }
    void TearDown() override {
        unsetenv("LANGUAGE");
        std::setlocale(LC_MESSAGES, "C");
    }
    // gettext forgets what it looked up when the locale changes.
    static void Langues(const char* langues) {
        setenv("LANGUAGE", langues, 1);
        std::setlocale(LC_MESSAGES, "C");
        std::setlocale(LC_MESSAGES, "fr_FR.UTF-8");
    }
};

int Directives(const std::string& text, char kind) {
    int n = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] == kind) ++n;
    return n;
}

}  // namespace

TEST_F(Francais, CatalogueTranslatesEveryMessageWithoutFormatDirectives) {
    EXPECT_FALSE(localisation::CatalogueDirectory().empty());
    std::set<std::string> seen;
    for (int code = 1; code <= EComPort::MessageCount; ++code) {
        const std::string english = EComPort::MessageOf(code);
        const std::string french = localisation::Translate(english);
        SCOPED_TRACE(english);
        EXPECT_NE(french, english);
        EXPECT_EQ(french.find('%'), std::string::npos);
        EXPECT_TRUE(seen.insert(french).second) << "two messages read alike: " << french;
    }
    EXPECT_EQ(localisation::Translate("Unable to open com port"),
              "Impossible d'ouvrir le port série");
    const std::string frenchSuffix = localisation::Translate(suffix);
    EXPECT_EQ(Directives(frenchSuffix, 'd'), 1);
    EXPECT_EQ(Directives(frenchSuffix, 's'), 1);
    EXPECT_EQ(Directives(frenchSuffix, '%'), 0);
}

TEST(FrancaisDesLeDepart, WholeMessageReadsAsThisSystemsError) {
    // A fresh process, as the program is: its first error comes in French.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (std::setlocale(LC_MESSAGES, "fr_FR.UTF-8") == nullptr) std::exit(2);
            std::fputs(EComPort(CError_OpenFailed, ENOENT).what(), stderr);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0),
        "^Impossible d'ouvrir le port série \\(erreur 2 : Aucun fichier ou dossier de ce "
        "type\\)$");
}

TEST_F(Francais, SuffixGivesTheSystemErrorAndItsTextInFrench) {
    EXPECT_EQ(localisation::SystemErrorText(ENOENT), "Aucun fichier ou dossier de ce type");
    const std::string text = EComPort(CError_OpenFailed, ENOENT).what();
    EXPECT_TRUE(text.ends_with(" (erreur 2 : Aucun fichier ou dossier de ce type)")) << text;
    EXPECT_EQ(EComPort(CError_ConnChangeProp).SystemErrorCode(), -1);
    EXPECT_EQ(std::string(EComPort(CError_ConnChangeProp).what()).find("erreur"), std::string::npos)
        << "no suffix without a system error";
}

TEST_F(Francais, LanguageListComesBeforeTheLocale) {
    const struct {
        const char* langues;
        const char* attendu;
    } cas[] = {
        {"de:fr", "Impossible d'ouvrir le port série"},
        {"en", "Unable to open com port"},
        {"fr_CA:en", "Impossible d'ouvrir le port série"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.langues);
        Langues(c.langues);
        EXPECT_EQ(localisation::Translate("Unable to open com port"), c.attendu);
    }
}

TEST(Localisation, EnglishStaysByteForByteInTheCLocale) {
    localisation::AddTextDomain("serial");
    EXPECT_TRUE(localisation::HasTextDomain("serial"));
    EXPECT_EQ(localisation::Translate("Unable to open com port"), "Unable to open com port");
    EXPECT_EQ(localisation::Translate(suffix), suffix);
    EXPECT_EQ(localisation::Translate(""), "") << "not the catalogue's header";
    EXPECT_STREQ(EComPort(CError_ReadFailed, EIO).what(),
                 "ReadFile function failed (win error code: 5)");
}
