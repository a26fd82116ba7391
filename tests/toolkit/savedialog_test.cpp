#include "toolkit/savedialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

using namespace toolkit;

TEST(SaveDialog, FilterPatternsMatchEitherCase) {
    const std::vector<std::string> filters =
        toolkit::NameFilters("Fichiers texte (*.txt)|*.TXT|Tous (*.*)|*.*");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[1], "Tous (*.*) (*.*)");
    const QString pattern = QString::fromStdString(filters[0]).section('(', -1).chopped(1);
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern));
    for (const char* name : {"mesures.txt", "MESURES.TXT", "m.Txt"}) {
        EXPECT_TRUE(re.match(name).hasMatch()) << name;
    }
    EXPECT_FALSE(re.match("mesures.csv").hasMatch());
    EXPECT_TRUE(toolkit::NameFilters("").empty());
}

TEST(SaveDialog, DefaultExtensionOnlyWhenTheNameHasNone) {
    const struct {
        const char* name;
        const char* ext;
        const char* expected;
    } cases[] = {
        {"/home/u/mesures", "txt", "/home/u/mesures.txt"},
        {"/home/u/mesures.dat", "txt", "/home/u/mesures.dat"},
        {"/home/u.v/mesures", "txt", "/home/u.v/mesures.txt"},  // a dot in a folder
        {"/home/u/mesures", ".txt", "/home/u/mesures.txt"},
        {"/home/u/mesures", "", "/home/u/mesures"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toolkit::WithDefaultExt(c.name, c.ext), c.expected) << c.name;
    }
}

TEST(SaveDialog, HookStandsInForTheUser) {
    TSaveDialog dialog("SD_FichierDonnees");
    dialog.SetDefaultExt("txt");
    dialog.SetFileName("ancien.txt");
    const std::string cwd = QDir::currentPath().toStdString();

    TSaveDialog::SetExecuteHook([](const TSaveDialog& d) -> std::optional<std::string> {
        EXPECT_EQ(d.FileName(), "ancien.txt");
        return "/tmp/mesures";
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/tmp/mesures.txt");

    TSaveDialog::SetExecuteHook([](const TSaveDialog&) { return std::nullopt; });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/tmp/mesures.txt");  // a cancel keeps the last choice
    TSaveDialog::SetExecuteHook(nullptr);
    EXPECT_EQ(QDir::currentPath().toStdString(), cwd);
}
