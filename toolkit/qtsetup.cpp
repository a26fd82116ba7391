#include "toolkit/qtsetup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMetaObject>
#include <QTranslator>

#include "platform/threads.h"
#include "toolkit/guard.h"

namespace toolkit {

bool InstallFrenchTranslation(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

void InstallHandOverPump() {
    // Called on the queuing thread: posting an event is thread-safe, and the
    // call runs on the thread of the application object.
    threads::SetWakeMainThread([] {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        QMetaObject::invokeMethod(
            app, [] { Guarded([] { threads::CheckSynchronize(); }); }, Qt::QueuedConnection);
    });
}

}  // namespace toolkit
