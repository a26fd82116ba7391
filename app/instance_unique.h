#pragma once

#include <QLocalServer>
#include <QString>

class QWidget;

// One program per user and folder. A second start in the folder of an open
// program (the menu entry chosen twice) asks the open one to bring its window
// to the front and ends, instead of opening a second window that would fight
// for the same serial port and settings file.
class TInstanceUnique {
  public:
    // Named after the user and the current folder.
    TInstanceUnique();
    explicit TInstanceUnique(QString nom);

    // True when a program already runs under this name: it has been asked to
    // show its window, and this one should end. Otherwise this one now holds
    // the name, and later starts wait for Ecouter.
    bool DejaOuverte();
    // From now on, each later start brings this window to the front.
    void Ecouter(QWidget* fenetre);

    const QString& Nom() const { return nom_; }

  private:
    QString nom_;
    QLocalServer serveur_;
};

// The name of the program that runs in a folder: the same for every path
// that leads to it, distinct for each user.
QString NomInstance(const QString& dossier);

// Shows a window over the others, restored if it was minimised.
void AmenerAuPremierPlan(QWidget* fenetre);
