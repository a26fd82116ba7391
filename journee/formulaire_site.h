#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "science/site.h"

class QComboBox;
class QLabel;
class QLineEdit;

// The site page: the measuring site's entries, checked (science's
// SiteDepuisSaisie) and saved in the site file.
namespace journee {

class FormulaireSite : public QWidget {
  public:
    // dossier: where the site file is written.
    explicit FormulaireSite(QString dossier, QWidget* parent = nullptr);

    void Remplir(const science::Site& site);
    // The entries checked and saved; nothing (and the reason shown under
    // the form) when one is wrong or the file cannot be written.
    std::optional<science::Site> Enregistrer();
    // A site was saved.
    std::function<void(const science::Site&)> OnEnregistre;

    QLineEdit* Latitude() const { return latitude_; }
    QLineEdit* Longitude() const { return longitude_; }
    QLineEdit* Altitude() const { return altitude_; }
    QComboBox* Fuseau() const { return fuseau_; }
    QLabel* Message() const { return message_; }

  private:
    QString dossier_;
    QLineEdit* latitude_ = nullptr;
    QLineEdit* longitude_ = nullptr;
    QLineEdit* altitude_ = nullptr;
    QComboBox* fuseau_ = nullptr;
    QLabel* message_ = nullptr;
};

}  // namespace journee
