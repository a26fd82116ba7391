#include "app/preparation.h"

#include <QApplication>
#include <QIcon>

#include "app/images.h"
#include "app/police.h"
#include "toolkit/toolkit.h"

void PreparerApplication(QApplication& application) {
    toolkit::SetApplicationTitle("Solvenare 1.0");
    toolkit::InstallFrenchTranslation(application);
    toolkit::InstallErrorDisplay();
    toolkit::InstallHandOverPump();
    InstallerPoliceDeSubstitution();
    application.setWindowIcon(QIcon(images::Icone));
}
