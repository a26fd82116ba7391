// solvenare-journee: a day of measurements read again, with the sun's true
// position for every record; without an output option, the day view window
// (see TexteUsage()).

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <iostream>

#include "journee/fenetre.h"
#include "journee/journee.h"
#include "journee/options.h"
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
    const QString dossier = DossierSite();
    try {
        reglages.site =
            o.site ? science::SiteDepuisArgument(*o.site)
                   : science::LireSite((dossier + "/" + science::NomFichierSite).toStdString());
        if (o.fuseau) reglages.site->fuseau = *o.fuseau;
    } catch (const science::ErreurSite& e) {
        // The window says plainly what a missing site costs; a bad argument
        // is the user's to mend.
        if (o.site) {
            std::cerr << "solvenare-journee : --site : " << e.Message() << "\n";
            return journee::SortieArguments;
        }
    }
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon::fromTheme("solvenare"));
    QTranslator qt;
    if (qt.load(QLocale(QLocale::French), "qtbase", "_",
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt);
    journee::FenetreJournee fenetre(reglages, dossier);
    if (!o.fichier.empty()) fenetre.Ouvrir(QString::fromStdString(o.fichier));
    fenetre.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
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
        if (options.fichier.empty()) {
            std::cerr << "solvenare-journee : pas d'écran pour la vue de la journée\n\n"
                      << journee::TexteUsage();
            return journee::SortieArguments;
        }
        options.resume = true;
    }
    std::ios::sync_with_stdio(false);
    return journee::Executer(options, std::cout, std::cerr);
}
