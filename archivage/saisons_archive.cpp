#include "archivage/saisons_archive.h"

#include <sys/stat.h>

#include <cerrno>

#include <QMessageBox>
#include <QProcess>
#include <QStringList>

#include "archivage/commandes.h"
#include "archivage/ouverture_jour.h"
#include "archive/archive.h"
#include "archive/etalonnage.h"
#include "journee/compagnon.h"
#include "saisons/montrer.h"

namespace archivage {

saisons::SourceJours SourceArchive(std::string chemin) {
    return [chemin = std::move(chemin)](const archive::ChoixJours& choix) {
        struct stat st {};
        if (::stat(chemin.c_str(), &st) != 0 && errno == ENOENT)
            throw saisons::ArchiveAbsente{chemin};
        archive::Archive a(chemin, archive::Acces::Lecture);
        return archive::Jours(a, choix);
    };
}

saisons::SourceHistoriques SourceEtalonnage(std::string chemin) {
    return [chemin = std::move(chemin)] {
        archive::Archive a(chemin, archive::Acces::Lecture);
        return archive::Historiques(a);
    };
}

bool OuvrirJour(const std::string& chemin, const archive::ResumeJour& jour,
                std::optional<science::DemiJour> demi) {
    SourceJour source;
    try {
        archive::Archive a(chemin, archive::Acces::Lecture);
        source = TrouverSource(a, jour);
    } catch (const std::exception&) {
        // The day view opened on the archive says what is wrong with it.
    }
    QStringList arguments;
    for (const std::string& a : CommandeJour(chemin, jour, source, demi))
        arguments << QString::fromStdString(a);
    const std::string programme =
        journee::Compagnon(journee::DossierDuProgramme(), "solvenare-journee", "journee");
    return QProcess::startDetached(QString::fromStdString(programme), arguments);
}

int MontrerSaisons(const Options& o, int argc, char** argv) {
    const std::string chemin = o.archive ? *o.archive : ArchiveParDefaut();
    return saisons::Montrer(
        argc, argv, SourceArchive(chemin),
        [chemin](const archive::ResumeJour& jour) { OuvrirJour(chemin, jour); },
        SourceEtalonnage(chemin),
        [chemin](const archive::ResumeJour& jour, science::DemiJour demi) {
            OuvrirJour(chemin, jour, demi);
        });
}

}  // namespace archivage
