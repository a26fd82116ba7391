#include "toolkit/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <mutex>
#include <utility>

#include "platform/application.h"
#include "toolkit/qtconvert.h"

namespace toolkit {

namespace {

struct Hooks {
    std::mutex mutex;
    MessageHook message;
    MessageHook error;
    std::string title;
    bool titleSet = false;
};

Hooks& H() {
    static Hooks hooks;
    return hooks;
}

MessageHook Get(MessageHook Hooks::*which) {
    std::lock_guard lock(H().mutex);
    return H().*which;
}

void ShowBox(QMessageBox::Icon icon, const std::string& text) {
    QMessageBox box(icon, ToQString(ApplicationTitle()), ToQString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    // Texts such as "Erreur E/S 5" are plain: no markup guessing.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void ShowMessage(const std::string& text) {
    if (const MessageHook hook = Get(&Hooks::message)) {
        hook(text);
        return;
    }
    ShowBox(QMessageBox::NoIcon, text);
}

void SetApplicationTitle(const std::string& title) {
    {
        std::lock_guard lock(H().mutex);
        H().title = title;
        H().titleSet = true;
    }
    // Not the display name: Qt would append that to the window's caption.
    QCoreApplication::setApplicationName(ToQString(title));
}

std::string ApplicationTitle() {
    {
        std::lock_guard lock(H().mutex);
        if (H().titleSet) return H().title;
    }
    return FromQString(QCoreApplication::applicationName());
}

void InstallErrorDisplay() {
    application::SetErrorHandler([](std::exception_ptr error) {
        const std::string text = application::ErrorText(std::move(error));
        if (const MessageHook hook = Get(&Hooks::error)) {
            hook(text);
            return;
        }
        ShowBox(QMessageBox::Critical, text);
    });
}

void SetShowMessageHook(MessageHook hook) {
    std::lock_guard lock(H().mutex);
    H().message = std::move(hook);
}

void SetErrorDisplayHook(MessageHook hook) {
    std::lock_guard lock(H().mutex);
    H().error = std::move(hook);
}

}  // namespace toolkit
