// The program entry: the application, its title and the main window.
#include <QApplication>
#include <QIcon>

#include "fond.h"
#include "images.h"
#include "police.h"
#include "toolkit.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    toolkit::SetApplicationTitle("Solvenare 1.0");
    toolkit::InstallFrenchTranslation(application);
    toolkit::InstallErrorDisplay();
    toolkit::InstallHandOverPump();
    InstallerPoliceDeSubstitution();
    application.setWindowIcon(QIcon(images::Icone));
    TF_Fond F_Fond;
    F_Fond.Show();
    return QApplication::exec();
}
