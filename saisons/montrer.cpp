#include "saisons/montrer.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace saisons {

int Montrer(int argc, char** argv, SourceJours source,
            std::function<void(const archive::ResumeJour&)> ouvrirJour,
            SourceHistoriques historiques,
            std::function<void(const archive::ResumeJour&, science::DemiJour)> ouvrirDemiJournee) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon::fromTheme("solvenare"));
    QTranslator qt;
    if (qt.load(QLocale(QLocale::French), "qtbase", "_",
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt);
    FenetreSaisons fenetre(std::move(source), std::move(historiques));
    fenetre.OnOuvrirJour = std::move(ouvrirJour);
    fenetre.OnOuvrirDemiJournee = std::move(ouvrirDemiJournee);
    fenetre.show();
    return QApplication::exec();
}

}  // namespace saisons
