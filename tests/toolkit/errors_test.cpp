#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/application.h"
#include "toolkit/combobox.h"
#include "toolkit/edit.h"
#include "toolkit/form.h"
#include "toolkit/image.h"
#include "toolkit/label.h"
#include "toolkit/menu.h"
#include "toolkit/messages.h"
#include "toolkit/timer.h"

using namespace toolkit;

namespace {

class ErrorDisplay : public testing::Test {
  protected:
    void SetUp() override {
        toolkit::InstallErrorDisplay();
        toolkit::SetErrorDisplayHook([this](const std::string& text) { shown.push_back(text); });
    }
    void TearDown() override {
        toolkit::SetErrorDisplayHook(nullptr);
        application::SetErrorHandler(nullptr);
    }
    std::vector<std::string> shown;
};

[[noreturn]] void Fail(TObject*) {
    throw std::runtime_error("Division par zéro en virgule flottante");
}

void Pump(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

TEST_F(ErrorDisplay, HandlerErrorsFromEveryEventReachTheDisplay) {
    TForm form;
    form.SetClientWidth(200);
    form.SetClientHeight(100);
    form.Show();
    auto* image = new TImage(&form, "IM_Demarrer");
    image->SetBounds(0, 0, 50, 50);
    image->OnClick = Fail;
    auto* downImage = new TImage(&form, "IM_Serie");
    downImage->SetBounds(50, 0, 50, 50);
    downImage->OnMouseDown = [](TObject* s, TMouseButton, TShiftState, int, int) { Fail(s); };
    auto* label = new TLabel(&form, "LNomFichier");
    label->SetTop(60);
    label->OnClick = Fail;
    auto* edit = new TEdit(&form, "EPression");
    edit->SetBounds(100, 0, 50, 20);
    edit->OnKeyPress = [](TObject* s, char&) { Fail(s); };
    auto* changing = new TEdit(&form, "EV0Vert");
    changing->SetBounds(100, 30, 50, 20);
    changing->OnChange = Fail;
    auto* combo = new TComboBox(&form, "CB_RessourcesInternet");
    combo->SetBounds(150, 60, 50, 20);
    combo->OnClick = Fail;
    TMenuItem item;
    item.OnClick = Fail;
    TTimer timer;
    timer.SetInterval(1);
    timer.OnTimer = [&](TObject* s) {
        timer.SetEnabled(false);
        Fail(s);
    };

    const struct {
        const char* what;
        std::function<void()> raise;
    } events[] = {
        {"click through Qt", [&] { form.ClickAt(10, 10); }},
        {"mouse down through Qt", [&] { form.ClickAt(60, 10); }},
        {"label click", [&] { label->Click(); }},
        {"key press through Qt",
         [&] {
             QKeyEvent key(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "1");
             QApplication::sendEvent(edit->Widget(), &key);
         }},
        {"change", [&] { changing->SetText("1"); }},
        {"combo choice", [&] { combo->Click(); }},
        {"menu entry", [&] { item.Action()->trigger(); }},
        {"timer tick from the loop", [&] { Pump(50); }},
        {"close",
         [&] {
             form.OnClose = Fail;
             form.Close();
         }},
    };
    for (const auto& e : events) {
        shown.clear();
        e.raise();
        EXPECT_EQ(shown, std::vector<std::string>{"Division par zéro en virgule flottante"})
            << e.what;
    }
    // A filter that failed let its key through to nobody.
    EXPECT_EQ(edit->Text(), "");
}

TEST_F(ErrorDisplay, MessagesGoToTheirHook) {
    std::vector<std::string> messages;
    toolkit::SetShowMessageHook([&](const std::string& text) { messages.push_back(text); });
    ShowMessage("Fichier introuvable");
    toolkit::ShowMessage("Erreur E/S 5");
    toolkit::SetShowMessageHook(nullptr);
    EXPECT_EQ(messages, (std::vector<std::string>{"Fichier introuvable", "Erreur E/S 5"}));
    EXPECT_TRUE(shown.empty());
}
