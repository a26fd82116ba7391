#include "journee/client_lien_v0.h"

#include <QLocalSocket>
#include <QTimer>
#include <QVariant>
#include <utility>

namespace journee {

void EnvoyerV0(QObject* parent, const ReportV0& report,
               std::function<void(const Reponse&)> reponse) {
    auto* socket = new QLocalSocket(parent);
    auto* delai = new QTimer(socket);
    delai->setSingleShot(true);
    const auto finir = [reponse, socket](const Reponse& r) {
        if (socket->property("fini").toBool()) return;
        socket->setProperty("fini", true);
        reponse(r);
        socket->abort();
        socket->deleteLater();
    };
    QObject::connect(socket, &QLocalSocket::connected, socket, [socket, report] {
        socket->write(QByteArray::fromStdString(MessageV0(report)));
    });
    QObject::connect(socket, &QLocalSocket::errorOccurred, parent, [socket, finir] {
        if (socket->state() != QLocalSocket::ConnectedState && !socket->canReadLine())
            finir({false, "La fenêtre principale de Solvenare n'est pas ouverte."});
    });
    QObject::connect(socket, &QLocalSocket::readyRead, parent, [socket, finir] {
        if (!socket->canReadLine()) return;
        const auto lue = LireReponse(socket->readLine().toStdString());
        finir(lue ? *lue : Reponse{false, "Réponse incomprise de la fenêtre principale."});
    });
    QObject::connect(delai, &QTimer::timeout, parent, [finir] {
        finir({false, "La fenêtre principale n'a pas répondu."});
    });
    delai->start(5000);
    socket->connectToServer(QString::fromStdString(NomLienV0()));
}

}  // namespace journee
