#include "app/instance_unique.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QWidget>
#include <cstdio>

QString NomInstance(const QString& dossier) {
    QString chemin = QDir(dossier).canonicalPath();
    if (chemin.isEmpty()) chemin = QDir(dossier).absolutePath();
    // Hashed: a local socket's path is limited to about a hundred bytes.
    const QByteArray empreinte =
        QCryptographicHash::hash(chemin.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    QString dossierSockets = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dossierSockets.isEmpty()) dossierSockets = QDir::tempPath();
    return QStringLiteral("%1/solvenare-%2-%3")
        .arg(dossierSockets)
        .arg(getuid())
        .arg(QString::fromLatin1(empreinte));
}

TInstanceUnique::TInstanceUnique() : TInstanceUnique(NomInstance(QDir::currentPath())) {}

// No socket option: with one, Qt binds elsewhere and renames the socket over
// the name, which would take it from a program already there. The runtime
// folder is the user's own.
TInstanceUnique::TInstanceUnique(QString nom) : nom_(std::move(nom)) {}

bool TInstanceUnique::DejaOuverte() {
    // Binding the name is atomic: of two starts at the same moment, one wins.
    if (serveur_.listen(nom_)) return false;
    if (serveur_.serverError() == QAbstractSocket::AddressInUseError) {
        QLocalSocket autre;
        autre.connectToServer(nom_);
        if (autre.waitForConnected(2000)) {
            autre.disconnectFromServer();
            std::fputs(
                "Solvenare est déjà ouvert dans ce dossier : sa fenêtre passe au premier plan.\n",
                stderr);
            return true;
        }
        // A name left behind by a program that did not end cleanly.
        QLocalServer::removeServer(nom_);
        serveur_.listen(nom_);
    }
    // Where no socket can be made the program still runs, unguarded.
    return false;
}

void TInstanceUnique::Ecouter(QWidget* fenetre) {
    const auto repondre = [this, fenetre] {
        bool demande = false;
        while (QLocalSocket* autre = serveur_.nextPendingConnection()) {
            autre->close();
            autre->deleteLater();
            demande = true;
        }
        if (demande) AmenerAuPremierPlan(fenetre);
    };
    QObject::connect(&serveur_, &QLocalServer::newConnection, fenetre, repondre);
    // Starts that came while the window was being made.
    repondre();
}

void AmenerAuPremierPlan(QWidget* fenetre) {
    fenetre->setWindowState((fenetre->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    fenetre->show();
    fenetre->raise();
    fenetre->activateWindow();
}
