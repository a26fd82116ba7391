// The program entry: the application, its title and the main window.
#include <QApplication>

#include "fond.h"
#include "preparation.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    PreparerApplication(application);
    TF_Fond F_Fond;
    F_Fond.Show();
    return QApplication::exec();
}
