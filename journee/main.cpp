// solvenare-journee: a day of measurements read again, with the sun's true
// position for every record; without an output option, the day view window
// (see TexteUsage()).

#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>

#include "archive/lecture.h"
#include "archive/lieu.h"
#include "journee/fenetre.h"
#include "journee/jour_archive.h"
#include "journee/journee.h"
#include "journee/options.h"
#include "platform/commande.h"
#include "platform/fichier_atomique.h"
#include "platform/flux_descripteur.h"
#include "science/site.h"

namespace {

bool EcranDisponible() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* valeur = std::getenv(variable);
        if (valeur != nullptr && *valeur != '\0') return true;
    }
    return false;
}

// The site file beside the settings: the current folder when it holds one
// (the main window starts the view there), else the folder the installed
// program's launcher uses.
QString DossierSite() {
    const QString courant = QDir::currentPath();
    if (QFileInfo::exists(courant + "/" + science::NomFichierSite)) return courant;
    const QString reglage = qEnvironmentVariable("SOLVENARE_DOSSIER");
    const QString installe = reglage.isEmpty() ? QDir::homePath() + "/Solvenare" : reglage;
    return QFileInfo(installe).isDir() ? installe : courant;
}

int Fenetre(const journee::Options& o, int argc, char** argv) {
    journee::ReglagesModele reglages;
    reglages.annee = o.annee;
    reglages.lambdaVert = o.lambdaVert;
    reglages.lambdaRouge = o.lambdaRouge;
    reglages.ozone = o.ozone;
    reglages.pression = o.pression;
    const QString dossier = DossierSite();
    // A day of the archive comes with its own site: --site names it there.
    if (!o.jour) {
        try {
            reglages.site =
                o.site ? science::SiteDepuisArgument(*o.site)
                       : science::LireSite((dossier + "/" + science::NomFichierSite).toStdString());
            if (o.fuseau) reglages.site->fuseau = *o.fuseau;
        } catch (const science::ErreurSite& e) {
            // The window says plainly what a missing site costs; a bad
            // argument is the user's to mend.
            if (o.site) {
                std::cerr << "solvenare-journee : --site : " << e.Message() << "\n";
                return journee::SortieArguments;
            }
        }
    }
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon::fromTheme("solvenare"));
    QTranslator qt;
    if (qt.load(QLocale(QLocale::French), "qtbase", "_",
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt);
    journee::FenetreJournee fenetre(reglages, dossier);
    const std::string cheminArchive = o.archive ? *o.archive : archive::ArchiveParDefaut();
    fenetre.ChoisirArchive(cheminArchive, o.archive.has_value());
    if (o.jour) {
        try {
            fenetre.MontrerJourArchive(
                journee::LireJourArchive(cheminArchive, *archive::LireDate(*o.jour), o.instrument,
                                         o.site),
                QString::fromStdString(cheminArchive));
        } catch (const std::exception& e) {
            fenetre.EchecJourArchive(QString::fromStdString(e.what()));
        }
    } else if (!o.fichier.empty()) {
        fenetre.Ouvrir(QString::fromStdString(o.fichier));
    }
    if (o.demiJournee) {
        const auto jour = o.jourDemiJournee ? o.jourDemiJournee : o.jour;
        fenetre.ChoisirDemiJourneeDu(*o.demiJournee == "matin" ? journee::DemiJournee::Matin
                                                               : journee::DemiJournee::ApresMidi,
                                     jour ? archive::LireDate(*jour) : std::nullopt);
    }
    fenetre.show();
    return QApplication::exec();
}

int LigneDeCommande(int argc, char** argv) {
    journee::Options options;
    try {
        options = journee::LireOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const journee::ErreurArguments& e) {
        std::cerr << "solvenare-journee : " << e.what() << "\n\n" << journee::TexteUsage();
        return journee::SortieArguments;
    }
    if (!options.aide && journee::VueJournee(options)) {
        if (EcranDisponible()) return Fenetre(options, argc, argv);
        // No screen (a remote shell): the summary, as the window cannot open.
        if (options.fichier.empty() || options.jour) {
            std::cerr << "solvenare-journee : pas d'écran pour la vue de la journée\n\n"
                      << journee::TexteUsage();
            return journee::SortieArguments;
        }
        options.resume = true;
    }
    platform::MessagesEnFrancais();
    // A reader that goes away (| head) is an error number to judge, not a
    // signal that kills the command.
    std::signal(SIGPIPE, SIG_IGN);
    // Ctrl+C during an export leaves no hidden half file behind.
    platform::EffacerTemporairesSurSignal();
    // Standard output through a buffer that keeps the system's error: the
    // stream's state alone cannot tell a full disk from a closed pipe.
    platform::FluxDescripteur tampon(STDOUT_FILENO);
    std::ostream sortie(&tampon);
    return journee::Executer(options, sortie, std::cerr);
}

}  // namespace

// No exception leaves the program: any failure is a message and exit 1.
int main(int argc, char** argv) {
    try {
        return LigneDeCommande(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("solvenare-journee : mémoire insuffisante\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "solvenare-journee : %s\n", e.what());
    } catch (...) {
        std::fputs("solvenare-journee : erreur inattendue\n", stderr);
    }
    return journee::SortieFichier;
}
