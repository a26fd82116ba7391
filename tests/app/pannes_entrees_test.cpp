// Settings and links files that no editor of ours wrote: binary bytes, lines
// ended by CR alone, no line end at all, ten megabytes of lines. The window
// starts as the rules say, whatever the files hold.
#include <QComboBox>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/shell.h"
#include "tests/app/fond_fixture.h"

namespace {

class PannesEntreesTest : public FondTest {
  protected:
    void SetUp() override {
        FondTest::SetUp();
        shell::SetOpenerForTests([this](const std::string& t) { ouverts_.push_back(t); });
    }
    void TearDown() override {
        shell::SetOpenerForTests(nullptr);
        FondTest::TearDown();
    }

    // The window started on the files as they are; how long that took.
    double DemarrerChrono() {
        const auto debut = std::chrono::steady_clock::now();
        Demarrer().Show();
        Traiter();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    }

    // The list opened on the information panel and an entry chosen in it,
    // as the user would; how long the list took to open.
    double Choisir(int index) {
        TF_Fond& f = *fenetre_;
        f.IM_Informations->Click();
        const auto debut = std::chrono::steady_clock::now();
        f.CB_RessourcesInternet->ComboBox()->showPopup();
        Traiter();
        const double secondes =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
        f.CB_RessourcesInternet->ComboBox()->hidePopup();
        f.CB_RessourcesInternet->SetItemIndex(index);
        f.CB_RessourcesInternet->Click();
        return secondes;
    }

    std::vector<std::string> ouverts_;
};

// Lines of about 40 bytes up to ten megabytes, ended by CR LF.
std::string DixMegaOctets(const std::string& debut) {
    std::string s = debut;
    for (int i = 0; s.size() < 10'000'000; ++i)
        s += "https://exemple.org/ressource/" + std::to_string(i) + "\r\n";
    return s;
}

}  // namespace

TEST_F(PannesEntreesTest, ALinksFileOfAnyBytesGivesOneEntryPerLine) {
    struct Cas {
        const char* quoi;
        std::string octets;
        std::vector<std::string> entrees;
    };
    const std::vector<Cas> cas = {
        {"NUL and bytes of the upper half",
         std::string("a\0b\r\n\x80\x81\x9D\xE9\xFF\r\n", 12),
         {std::string("a\0b", 3), "€\u0081\u009Déÿ"}},
        // Files from old Macs end their lines with CR alone.
        {"CR alone ends a line", "a\rb\r\rc", {"a", "b", "", "c"}},
        {"CR before CR LF", "a\r\r\nb\r\n", {"a", "", "b"}},
        {"no line end at all", std::string(5000, 'x'), {std::string(5000, 'x')}},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.quoi);
        Ecrire("SitesWeb.txt", c.octets);
        DemarrerChrono();
        TF_Fond& f = *fenetre_;
        EXPECT_EQ(f.CB_RessourcesInternet->Items(), c.entrees);
        EXPECT_EQ(f.CB_RessourcesInternet->Text(), c.entrees.front());
        EXPECT_EQ(f.CB_RessourcesInternet->ItemIndex(), -1);
        ouverts_.clear();
        Choisir(static_cast<int>(c.entrees.size()) - 1);
        EXPECT_EQ(ouverts_, std::vector<std::string>{c.entrees.back()});
        EXPECT_TRUE(erreurs_.empty());
    }
    // A name that a NUL byte would cut short is not opened in part.
    ouverts_.clear();
    Ecrire("SitesWeb.txt", cas.front().octets);
    DemarrerChrono();
    Choisir(0);
    EXPECT_TRUE(ouverts_.empty());
}

TEST_F(PannesEntreesTest, ASettingsFileOfAnyBytesSelectsOnlyAnExactPort) {
    struct Cas {
        const char* quoi;
        std::string octets;
        std::string port;  // empty: nothing selected
    };
    const std::vector<Cas> cas = {
        {"binary banner", std::string("\0\x80\xFF\r\r\n", 6) + "[PortSerie]\r\nCOM3\r\n", ""},
        {"binary banner on one line", std::string("\0\x80\xFF\r\n", 5) + "[PortSerie]\r\nCOM3\r\n",
         "COM3"},
        {"CR alone ends a line", "SOLVENARE\r[PortSerie]\rCOM3\r", "COM3"},
        {"a NUL in the name", std::string("b\r\n[PortSerie]\r\nCOM3\0\r\n", 22), ""},
        {"a high byte in the name", "b\r\n[PortSerie]\r\nCOM3\xA0\r\n", ""},
        {"no line end at all", "[PortSerie]COM3", ""},
        {"the header as the last line", "b\r\n[PortSerie]", ""},
        {"ten megabytes before the section", DixMegaOctets("") + "b\r\n[PortSerie]\r\nCOM3\r\n",
         "COM3"},
    };
    ports_ = {"COM1", "COM3"};
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.quoi);
        Ecrire("Parametres.txt", c.octets);
        const double secondes = DemarrerChrono();
        TF_Fond& f = *fenetre_;
        if (c.octets.size() > 1'000'000)
            std::printf("Start-up with a settings file of %zu bytes: %.3f s\n", c.octets.size(),
                        secondes);
        std::vector<std::string> coches;
        for (int i = 0; i < f.PM_PortSerie->Count(); ++i)
            if (f.PM_PortSerie->Items(i)->Checked())
                coches.push_back(f.PM_PortSerie->Items(i)->Caption());
        if (c.port.empty()) {
            EXPECT_TRUE(coches.empty());
            EXPECT_EQ(f.L_ComPort->Caption(), "NEANT");
            EXPECT_EQ(f.ComPort->Port(), "COM1");
        } else {
            EXPECT_EQ(coches, std::vector<std::string>{c.port});
            EXPECT_EQ(f.L_ComPort->Caption(), c.port);
            EXPECT_EQ(f.ComPort->Port(), c.port);
        }
        EXPECT_EQ(Lire("Parametres.txt"), c.octets) << "reading never rewrites the file";
        EXPECT_TRUE(erreurs_.empty());
    }
}

TEST_F(PannesEntreesTest, TenMegabytesOfLinksStartTheWindowWithEveryEntry) {
    struct Cas {
        const char* quoi;
        std::string octets;
    };
    const std::vector<Cas> cas = {
        {"lines of about 40 bytes", DixMegaOctets("")},
        {"no line end at all", std::string(10'000'000, 'x')},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.quoi);
        Ecrire("SitesWeb.txt", c.octets);
        ouverts_.clear();
        const double demarrage = DemarrerChrono();
        TF_Fond& f = *fenetre_;
        const auto& entrees = f.CB_RessourcesInternet->Items();
        const size_t lignes = std::max<size_t>(
            1, static_cast<size_t>(std::count(c.octets.begin(), c.octets.end(), '\n')));
        ASSERT_EQ(entrees.size(), lignes);
        EXPECT_EQ(f.CB_RessourcesInternet->ComboBox()->count(), static_cast<int>(lignes));
        const size_t fin = c.octets.find('\r');
        const std::string premiere = c.octets.substr(0, fin);
        EXPECT_TRUE(entrees.front() == premiere);
        EXPECT_TRUE(premiere.rfind(f.CB_RessourcesInternet->Text(), 0) == 0)
            << "the edit field shows the first line, or as much of it as it holds";
        const double liste = Choisir(static_cast<int>(lignes) - 1);
        ASSERT_EQ(ouverts_.size(), 1u);
        EXPECT_TRUE(ouverts_.front() == entrees.back());
        std::printf("Links file of %zu bytes, %s: window shown in %.3f s, list opened in %.3f s\n",
                    c.octets.size(), c.quoi, demarrage, liste);
        EXPECT_TRUE(erreurs_.empty());
    }
}
