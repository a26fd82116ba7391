// A second start in the folder of an open program shows the open window and
// ends: real local sockets, a real window on the offscreen platform.
#include "app/instance_unique.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <filesystem>

namespace {

bool Attendre(const std::function<bool()>& condition) {
    QDeadlineTimer fin(5000);
    while (!condition() && !fin.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

// What a program killed while open leaves: a socket file nobody listens on.
void LaisserUnSocketMort(const QString& chemin) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un adresse{};
    adresse.sun_family = AF_UNIX;
    std::strncpy(adresse.sun_path, chemin.toLocal8Bit().constData(), sizeof adresse.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse), 0);
    close(fd);
}

class InstanceUniqueTest : public ::testing::Test {
  protected:
    QString Nom() const { return dossier_.filePath("instance"); }
    QTemporaryDir dossier_;
};

}  // namespace

TEST_F(InstanceUniqueTest, ASecondStartBringsTheOpenWindowBackAndEnds) {
    QWidget fenetre;
    fenetre.showMinimized();
    TInstanceUnique premiere(Nom());
    ASSERT_FALSE(premiere.DejaOuverte()) << "nothing was open yet";
    premiere.Ecouter(&fenetre);

    TInstanceUnique seconde(Nom());
    EXPECT_TRUE(seconde.DejaOuverte());
    EXPECT_TRUE(Attendre([&] { return !(fenetre.windowState() & Qt::WindowMinimized); }))
        << "the open window was not restored";
    EXPECT_TRUE(fenetre.isVisible());

    // Again, once the first answer is over.
    fenetre.showMinimized();
    TInstanceUnique troisieme(Nom());
    EXPECT_TRUE(troisieme.DejaOuverte());
    EXPECT_TRUE(Attendre([&] { return !(fenetre.windowState() & Qt::WindowMinimized); }));
}

TEST_F(InstanceUniqueTest, AStartDuringTheWindowsMakingIsAnsweredOnceItIsThere) {
    TInstanceUnique premiere(Nom());
    ASSERT_FALSE(premiere.DejaOuverte());
    TInstanceUnique seconde(Nom());
    EXPECT_TRUE(seconde.DejaOuverte());

    QWidget fenetre;
    fenetre.showMinimized();
    premiere.Ecouter(&fenetre);
    EXPECT_TRUE(Attendre([&] { return !(fenetre.windowState() & Qt::WindowMinimized); }));
}

TEST_F(InstanceUniqueTest, ANameLeftByAProgramThatDiedIsTakenOver) {
    LaisserUnSocketMort(Nom());
    TInstanceUnique reprise(Nom());
    EXPECT_FALSE(reprise.DejaOuverte()) << "a dead program kept the next one from starting";
    QWidget fenetre;
    reprise.Ecouter(&fenetre);
    EXPECT_TRUE(TInstanceUnique(Nom()).DejaOuverte()) << "the new program does not answer";
}

TEST_F(InstanceUniqueTest, WithoutAPlaceForTheSocketTheProgramStillStarts) {
    TInstanceUnique instance(dossier_.filePath("absent/instance"));
    EXPECT_FALSE(instance.DejaOuverte());
}

TEST_F(InstanceUniqueTest, OneNameAFolderWhateverThePathThatLeadsThere) {
    const QString a = dossier_.filePath("a"), b = dossier_.filePath("b");
    QDir().mkpath(a);
    QDir().mkpath(b);
    std::filesystem::create_symlink(a.toStdString(), dossier_.filePath("lien").toStdString());
    EXPECT_EQ(NomInstance(a), NomInstance(dossier_.filePath("lien")));
    EXPECT_EQ(NomInstance(a), NomInstance(a + "/../a/"));
    EXPECT_NE(NomInstance(a), NomInstance(b));
    EXPECT_LT(NomInstance(a).toLocal8Bit().size(), static_cast<int>(sizeof(sockaddr_un::sun_path)));
}
