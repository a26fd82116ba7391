// The program entry: the application, its title and the main window.
#include <QApplication>

#include "app/fond.h"
#include "app/instance_unique.h"
#include "app/preparation.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    TInstanceUnique instance;
    if (instance.DejaOuverte()) return 0;
    PreparerApplication(application);
    TF_Fond F_Fond;
    instance.Ecouter(F_Fond.Widget());
    F_Fond.Show();
    return QApplication::exec();
}
