#include "preparation.h"

#include <QApplication>
#include <QIcon>

#include "images.h"
#include "police.h"
#include "toolkit.h"

void PreparerApplication(QApplication& application) {
    toolkit::SetApplicationTitle("Solvenare 1.0");
    toolkit::InstallFrenchTranslation(application);
    toolkit::InstallErrorDisplay();
    toolkit::InstallHandOverPump();
    InstallerPoliceDeSubstitution();
    application.setWindowIcon(QIcon(images::Icone));
}
