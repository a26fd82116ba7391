#include "journee/formulaire_site.h"

#include <QComboBox>
#include <QCompleter>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeZone>
#include <QVBoxLayout>
#include <utility>

#include "journee/apparence.h"

namespace journee {

FormulaireSite::FormulaireSite(QString dossier, QWidget* parent)
    : QWidget(parent), dossier_(std::move(dossier)) {
    QWidget* page = this;
    auto* disposition = new QVBoxLayout(page);
    auto* texte = new QLabel(
        "Le site sert à calculer la position du soleil à l'heure de chaque mesure : son "
        "élévation, la masse d'air, les épaisseurs optiques recalculées et l'étalonnage de "
        "Langley. Degrés décimaux, nord et est positifs (virgule ou point).",
        page);
    texte->setWordWrap(true);
    disposition->addWidget(texte);
    auto* formulaire = new QFormLayout;
    latitude_ = new QLineEdit(page);
    latitude_->setPlaceholderText("45,7640");
    longitude_ = new QLineEdit(page);
    longitude_->setPlaceholderText("4,8357");
    altitude_ = new QLineEdit(page);
    altitude_->setPlaceholderText("170");
    fuseau_ = new QComboBox(page);
    fuseau_->setEditable(true);
    fuseau_->addItem("");
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) fuseau_->addItem(id);
    fuseau_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    fuseau_->completer()->setFilterMode(Qt::MatchContains);
    fuseau_->setToolTip(
        "Nom du fuseau (Europe/Paris), décalage fixe (UTC+1) ou vide pour celui "
        "de l'ordinateur");
    formulaire->addRow("La&titude (°) :", latitude_);
    formulaire->addRow("Lo&ngitude (°) :", longitude_);
    formulaire->addRow("Al&titude (m) :", altitude_);
    formulaire->addRow("&Fuseau horaire :", fuseau_);
    disposition->addLayout(formulaire);
    auto* enregistrer = new QPushButton("&Enregistrer le site", page);
    enregistrer->setDefault(true);
    connect(enregistrer, &QPushButton::clicked, this, [this] { Enregistrer(); });
    // Enter saves from any field, as in a dialog; the zone typed is not
    // added to the list.
    fuseau_->setInsertPolicy(QComboBox::NoInsert);
    for (QLineEdit* e : {latitude_, longitude_, altitude_, fuseau_->lineEdit()})
        connect(e, &QLineEdit::returnPressed, this, [this] { Enregistrer(); });
    disposition->addWidget(enregistrer, 0, Qt::AlignLeft);
    message_ = new QLabel(page);
    message_->setWordWrap(true);
    disposition->addWidget(message_);
    disposition->addStretch(1);
}

void FormulaireSite::Remplir(const science::Site& site) {
    latitude_->setText(Virgule(site.latitude, 4));
    longitude_->setText(Virgule(site.longitude, 4));
    altitude_->setText(Virgule(site.altitude, 0));
    fuseau_->setCurrentText(Q(site.fuseau));
}

std::optional<science::Site> FormulaireSite::Enregistrer() {
    // An altitude of blanks only is none, as Qt counts blanks.
    const QString altitude = altitude_->text().trimmed().isEmpty() ? QString() : altitude_->text();
    science::Site site;
    QString faute;
    try {
        site = science::SiteDepuisSaisie({latitude_->text().toStdString(),
                                          longitude_->text().toStdString(), altitude.toStdString(),
                                          fuseau_->currentText().trimmed().toStdString()});
        const std::string chemin = (dossier_ + "/" + science::NomFichierSite).toStdString();
        // The form has no ozone entry: the file's stays.
        try {
            site.ozone = science::LireSite(chemin).ozone;
        } catch (const science::ErreurSite&) {
        }
        science::EcrireSite(chemin, site);
    } catch (const Exception& e) {
        faute = Q(e.Message());
    }
    if (!faute.isEmpty()) {
        message_->setStyleSheet("color: #b00020;");
        message_->setText(faute);
        return std::nullopt;
    }
    message_->setStyleSheet("color: #1e6b35;");
    message_->setText("Site enregistré dans " + QString(science::NomFichierSite) + ".");
    if (OnEnregistre) OnEnregistre(site);
    return site;
}

}  // namespace journee
