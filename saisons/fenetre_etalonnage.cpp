#include "saisons/fenetre_saisons.h"

#include <QComboBox>
#include <QLabel>
#include <algorithm>

#include "journee/apparence.h"
#include "saisons/onglet_etalonnage.h"
#include "saisons/selection.h"
#include "saisons/series_etalonnage.h"

// The seasons window's side of the calibration: the warning above the tabs
// and the calibration tab following the instrument chosen, and its clicks.
namespace saisons {

using journee::Q;

QString FenetreSaisons::TexteAvis() const {
    return avis_->isHidden() ? QString() : avis_->text();
}

// The calibration tab and the warning follow the instrument chosen.
void FenetreSaisons::MontrerEtalonnage() {
    const QString nom = instrument_->currentData().toString();
    std::optional<std::string> instrument;
    if (!nom.isEmpty()) instrument = nom.toStdString();
    const QString avis = Q(AvisInstruments(historiques_, instrument));
    avis_->setText(avis);
    avis_->setVisible(!avis.isEmpty());
    const HistoriqueChoisi choisi = ChoisirHistorique(historiques_, instrument);
    if (!erreurHistoriques_.isEmpty())
        etalonnage_->Expliquer(erreurHistoriques_);
    else if (!erreur_.isEmpty() || !absente_.isEmpty() || tous_.empty())
        etalonnage_->Expliquer("L'archive ne contient encore aucune demi-journée de Langley.");
    else if (choisi.historique)
        etalonnage_->Montrer(*choisi.historique);
    else
        etalonnage_->Expliquer(Q(choisi.pourquoi));
}

void FenetreSaisons::OuvrirDemiJournee(const std::string& instrument,
                                       const archive::DemiJourneeArchivee& d) {
    if (!OnOuvrirDemiJournee) return;
    // The day as the first tab knows it: its site, for the archive's files.
    const QString site = site_->currentData().toString();
    for (const archive::ResumeJour& j : tous_)
        if (j.instrument == instrument && NumeroJour(j.jour) == NumeroJour(d.date) &&
            (site.isEmpty() || Q(j.site) == site))
            return OnOuvrirDemiJournee(j, d.demi);
    archive::ResumeJour j;
    j.jour = d.date;
    j.instrument = instrument;
    OnOuvrirDemiJournee(j, d.demi);
}

}  // namespace saisons
