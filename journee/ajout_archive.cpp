#include "journee/ajout_archive.h"

#include <sys/stat.h>

#include "platform/textfile.h"

namespace journee {

AjoutArchive::AjoutArchive(std::string chemin) : chemin_(std::move(chemin)) {}

AjoutArchive::~AjoutArchive() = default;

bool AjoutArchive::Existe() const {
    struct stat st {};
    return ::stat(chemin_.c_str(), &st) == 0;
}

AjoutArchive::Issue AjoutArchive::Ajouter(const std::string& fichier,
                                          const archive::ReglagesImport& reglages) {
    Issue issue;
    struct stat st {};
    if (::stat(chemin_.c_str(), &st) != 0) {
        archive_.reset();
        return issue;
    }
    // Another file put in its place (a backup restored): opened again.
    if (archive_ && (st.st_dev != dev_ || st.st_ino != ino_)) archive_.reset();
    try {
        if (!archive_) {
            archive_ = std::make_unique<archive::Archive>(chemin_, archive::Acces::Ecriture);
            sqlite3_busy_timeout(archive_->Base().Get(), AttenteVue);
            dev_ = st.st_dev;
            ino_ = st.st_ino;
        }
        const archive::BilanImport b = archive::ImporterFichier(*archive_, fichier, reglages);
        issue.fait = true;
        issue.ajoutes = b.ajoutes;
    } catch (const archive::ErreurArchive& e) {
        // Opened again next time: the fault may be mended by then.
        archive_.reset();
        issue.erreur = e.Occupee() ? "L'archive « " + chemin_ +
                                         " » est occupée par un autre programme : les mesures "
                                         "y seront ajoutées au prochain rafraîchissement"
                                   : e.Message();
    } catch (const EInOutError& e) {
        issue.erreur = "Impossible de lire « " + fichier + " » pour l'archive : " + e.Message();
    } catch (const std::exception& e) {
        archive_.reset();
        issue.erreur = "L'archive « " + chemin_ + " » n'a pas reçu les mesures : " + e.what();
    }
    return issue;
}

}  // namespace journee
