#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <optional>

#include "platform/shell.h"
#include "tests/app/fond_fixture.h"

using toolkit::TComboBox;

namespace {

// What the window hands to the desktop's opener, instead of opening it.
class InformationsTest : public FondTest {
  protected:
    void SetUp() override {
        FondTest::SetUp();
        shell::SetOpenerForTests([this](const std::string& t) { ouverts_.push_back(t); });
    }
    void TearDown() override {
        shell::SetOpenerForTests(nullptr);
        FondTest::TearDown();
    }

    // Typed key by key into the list's edit field, as the user would.
    static void Taper(TComboBox* liste, const std::string& texte) {
        for (char c : texte) {
            const int code = c == '\r' ? Qt::Key_Return : Qt::Key_unknown;
            QKeyEvent touche(QEvent::KeyPress, code, Qt::NoModifier, QString(QChar::fromLatin1(c)));
            QApplication::sendEvent(liste->ComboBox()->lineEdit(), &touche);
        }
    }

    // The choice of an entry in the open list.
    static void Choisir(TComboBox* liste, int index) {
        liste->ComboBox()->setCurrentIndex(index);
        emit liste->ComboBox()->activated(index);
    }

    std::vector<std::string> ouverts_;
};

}  // namespace

TEST_F(InformationsTest, ThePanelOpensAndClosesWithItsPictures) {
    TF_Fond& f = Demarrer();
    EXPECT_FALSE(f.P_Informations->Visible());
    f.IM_Informations->Click();
    EXPECT_TRUE(f.P_Informations->Visible());
    f.IM_Informations->Click();
    EXPECT_TRUE(f.P_Informations->Visible()) << "a second click leaves it open";
    f.IM_OKInformations->Click();
    EXPECT_FALSE(f.P_Informations->Visible());
    EXPECT_TRUE(ouverts_.empty());
}

TEST_F(InformationsTest, EveryLineOfTheLinksFileIsAnEntry) {
    struct Cas {
        const char* quoi;
        std::optional<std::string> fichier;
        std::vector<std::string> entrees;
        std::string texte;
    };
    const std::vector<Cas> cas = {
        {"three lines, in file order",
         "https://aeronet.gsfc.nasa.gov/\r\nhttps://www.globe.gov/\r\nC:\\Donn\xE9"
         "es\\cours.pdf\r\n",
         {"https://aeronet.gsfc.nasa.gov/", "https://www.globe.gov/", "C:\\Données\\cours.pdf"},
         "https://aeronet.gsfc.nasa.gov/"},
        {"a last line without its end", "a\r\nb", {"a", "b"}, "a"},
        {"line feeds alone", "a\nb\n", {"a", "b"}, "a"},
        {"an empty file", "", {}, ""},
        {"empty lines, duplicates and spaces kept",
         "\r\n a \r\n\r\n a \r\n",
         {"", " a ", "", " a "},
         ""},
        {"no file", std::nullopt, {}, ""},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.quoi);
        std::filesystem::remove("SitesWeb.txt");
        if (c.fichier) Ecrire("SitesWeb.txt", *c.fichier);
        TF_Fond& f = Demarrer();
        EXPECT_EQ(f.CB_RessourcesInternet->Items(), c.entrees);
        EXPECT_EQ(f.CB_RessourcesInternet->Text(), c.texte);
        EXPECT_EQ(f.CB_RessourcesInternet->ItemIndex(), -1) << "no entry is chosen";
    }
    EXPECT_TRUE(erreurs_.empty());
    EXPECT_TRUE(ouverts_.empty()) << "loading the list opens nothing";
}

TEST_F(InformationsTest, ChoosingAnEntryOpensExactlyThatLine) {
    Ecrire("SitesWeb.txt",
           "https://aeronet.gsfc.nasa.gov/\r\n"
           "https://x.invalid/\"; touch pwned; \"\r\n"
           "\r\n"
           "https://www.globe.gov/\r\n");
    TF_Fond& f = Demarrer();
    f.IM_Informations->Click();
    TComboBox* liste = f.CB_RessourcesInternet;

    // Nothing chosen yet: a click on the list opens nothing.
    liste->Click();
    EXPECT_TRUE(ouverts_.empty());

    // Typing in the edit field opens nothing.
    liste->SetText("");
    Taper(liste, "https://tape.invalid/\r");
    EXPECT_TRUE(ouverts_.empty());

    // The second entry, whole and unchanged.
    Choisir(liste, 1);
    EXPECT_EQ(ouverts_, std::vector<std::string>{"https://x.invalid/\"; touch pwned; \""});

    // With that entry still chosen, what was typed over it is not opened.
    Taper(liste, "autre");
    ASSERT_NE(liste->Text(), liste->Items()[1]);
    ASSERT_EQ(liste->ItemIndex(), 1);
    liste->Click();
    EXPECT_EQ(ouverts_, std::vector<std::string>(2, liste->Items()[1]));

    // An empty line is an entry too: an empty name goes to the opener.
    ouverts_.clear();
    Choisir(liste, 2);
    Choisir(liste, 3);
    EXPECT_EQ(ouverts_, (std::vector<std::string>{"", "https://www.globe.gov/"}));
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(erreurs_.empty());
}

TEST_F(InformationsTest, TheManualIsLookedForInTheFolderCurrentAtTheClick) {
    TF_Fond& f = Demarrer();
    f.IM_Informations->Click();
    const std::string depart = std::filesystem::current_path().string();
    f.IM_Documentation->Click();
    EXPECT_EQ(ouverts_, std::vector<std::string>{depart + "/Doc_Solvenare.pdf"})
        << "handed over even when the file is missing";

    std::filesystem::create_directory("Mes données");
    std::filesystem::current_path("Mes données");
    f.IM_Documentation->Click();
    ASSERT_EQ(ouverts_.size(), 2u);
    EXPECT_EQ(ouverts_[1], depart + "/Mes données/Doc_Solvenare.pdf");
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(erreurs_.empty());
}
