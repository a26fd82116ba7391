#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <functional>
#include <string>

#include "toolkit/edit.h"
#include "toolkit/form.h"
#include "toolkit/image.h"
#include "toolkit/label.h"
#include "toolkit/panel.h"

using namespace toolkit;

namespace {

// A window with overlapping controls, created in an order that tests the
// stacking rules:
//   back      picture 0,0 200x200, on the window
//   panel     panel 50,50 100x100 (windowed), on the window
//   under     picture 60,60 100x100, created after the panel, on the window
//   low/high  pictures 0,0 40x40 in the panel, high created last
//   edit      edit 10,10 10x10 in the panel, created before low and high
//   edge      picture -20,80 40x10 in the panel, half outside it
//   name      label 300,10 on the window
struct Scene {
    TForm form;
    TImage* back;
    TPanel* panel;
    TImage* under;
    TImage* low;
    TImage* high;
    TEdit* edit;
    TImage* edge;
    TLabel* name;
    std::string clicked;

    Scene() {
        form.SetClientWidth(400);
        form.SetClientHeight(300);
        back = Picture(&form, "back", 0, 0, 200, 200);
        panel = new TPanel(&form, "panel");
        panel->SetBounds(50, 50, 100, 100);
        under = Picture(&form, "under", 60, 60, 100, 100);
        edit = new TEdit(panel, "edit");
        edit->SetBounds(10, 10, 10, 10);
        low = Picture(panel, "low", 0, 0, 40, 40);
        high = Picture(panel, "high", 0, 0, 40, 40);
        edge = Picture(panel, "edge", -20, 80, 40, 10);
        name = new TLabel(&form, "name");
        name->SetCaption("LNomFichier");
        name->SetLeft(300);
        name->SetTop(10);
        name->OnClick = [this](TObject*) { clicked += "name;"; };
    }

    TImage* Picture(TWinControl* parent, const std::string& n, int l, int t, int w, int h) {
        auto* image = new TImage(parent, n);
        image->SetBounds(l, t, w, h);
        image->OnClick = [this, n](TObject*) { clicked += n + ";"; };
        return image;
    }
};

std::string NameAt(const TForm& form, int x, int y) {
    const TControl* c = form.ControlAt(x, y);
    return c ? c->Name() : "";
}

struct HitCase {
    const char* what;
    std::function<void(Scene&)> change;
    int x, y;
    const char* control;  // what ControlAt finds; "" for the window itself
    const char* clicked;  // what a click at the point reaches
};

}  // namespace

TEST(Stacking, ClicksGoToTheTopmostVisibleEnabledControl) {
    const HitCase cases[] = {
        {"window picture alone", nullptr, 10, 10, "back", "back;"},
        {"later picture over earlier", nullptr, 75, 75, "high", "high;"},
        {"disabled picture lets the click through", [](Scene& s) { s.high->SetEnabled(false); }, 75,
         75, "low", "low;"},
        {"hidden picture lets the click through", [](Scene& s) { s.high->SetVisible(false); }, 75,
         75, "low", "low;"},
        {"both disabled: the panel's own surface",
         [](Scene& s) {
             s.high->SetEnabled(false);
             s.low->SetEnabled(false);
         },
         75, 75, "panel", ""},
        {"edit over pictures created after it", nullptr, 65, 65, "edit", ""},
        {"panel over a picture created after it", nullptr, 145, 145, "panel", ""},
        {"hidden panel shows what lies beneath", [](Scene& s) { s.panel->SetVisible(false); }, 75,
         75, "under", "under;"},
        {"disabled panel lets the click through", [](Scene& s) { s.panel->SetEnabled(false); }, 75,
         75, "under", "under;"},
        {"beneath two hidden controls",
         [](Scene& s) {
             s.panel->SetVisible(false);
             s.under->SetVisible(false);
         },
         75, 75, "back", "back;"},
        {"part of a child inside its panel", nullptr, 60, 135, "edge", "edge;"},
        {"part of a child outside its panel is clipped", nullptr, 40, 135, "back", "back;"},
        {"clickable label", nullptr, 305, 15, "name", "name;"},
        {"bare window", nullptr, 390, 290, "", ""},
    };
    for (const HitCase& c : cases) {
        Scene scene;
        scene.form.Show();
        if (c.change) c.change(scene);
        EXPECT_EQ(NameAt(scene.form, c.x, c.y), c.control) << c.what;
        scene.form.ClickAt(c.x, c.y);
        EXPECT_EQ(scene.clicked, c.clicked) << c.what;
    }
}

TEST(Stacking, ShowingAgainKeepsTheOrder) {
    Scene scene;
    scene.form.Show();
    scene.low->SetVisible(false);
    scene.low->SetVisible(true);
    scene.panel->SetVisible(false);
    scene.panel->SetVisible(true);
    EXPECT_EQ(NameAt(scene.form, 75, 75), "high");
    EXPECT_EQ(NameAt(scene.form, 65, 65), "edit");
}

TEST(Stacking, HitTestsBeforeTheWindowIsShown) {
    Scene scene;
    EXPECT_EQ(NameAt(scene.form, 75, 75), "high");
    scene.panel->SetVisible(false);
    EXPECT_EQ(NameAt(scene.form, 75, 75), "under");
}

TEST(Stacking, ClickNeedsPressAndReleaseOnThePicture) {
    Scene scene;
    scene.form.Show();
    int backUps = 0;
    scene.back->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++backUps; };
    scene.form.MouseDownAt(10, 10);
    scene.form.MouseUpAt(190, 190);  // still on back, pressed there
    EXPECT_EQ(scene.clicked, "back;");
    scene.clicked.clear();
    scene.form.MouseDownAt(10, 10);
    scene.form.MouseUpAt(305, 15);  // released over the label: back still takes it
    EXPECT_EQ(scene.clicked, "");
    EXPECT_EQ(backUps, 2);
}

TEST(Stacking, DoubleClickMakesOneClick) {
    Scene scene;
    std::vector<bool> downs;  // whether each press was the second of a double click
    scene.back->OnMouseDown = [&](TObject*, TMouseButton, TShiftState shift, int, int) {
        downs.push_back(shift.Contains(ssDouble));
    };
    const QEvent::Type sequence[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                     QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease};
    for (QEvent::Type type : sequence) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(5, 5), QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(scene.back->Widget(), &event);
    }
    EXPECT_EQ(scene.clicked, "back;");
    EXPECT_EQ(downs, (std::vector<bool>{false, true}));
}

TEST(Stacking, MouseEventsReportTheButtonAndThePointInThePicture) {
    Scene scene;
    scene.form.Show();
    std::vector<std::string> seen;
    auto record = [&](const char* what) {
        return [&seen, what](TObject*, TMouseButton b, TShiftState shift, int x, int y) {
            seen.push_back(std::string(what) + " " + std::to_string(b) + " " +
                           std::to_string(shift.Contains(ssLeft)) + " " + std::to_string(x) + "," +
                           std::to_string(y));
        };
    };
    scene.under->OnMouseDown = record("down");
    scene.under->OnMouseUp = record("up");
    scene.panel->SetVisible(false);
    scene.form.ClickAt(70, 65);
    const std::vector<std::string> expected = {"down 0 1 10,5", "up 0 0 10,5"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(scene.clicked, "under;");
}

TEST(Stacking, ProgrammaticClickIsOnlyForReachableControls) {
    Scene scene;
    scene.high->Click();
    scene.high->SetEnabled(false);
    scene.high->Click();
    scene.high->SetEnabled(true);
    scene.panel->SetVisible(false);
    scene.high->Click();  // inside a hidden panel
    scene.panel->SetVisible(true);
    scene.panel->SetEnabled(false);
    scene.high->Click();  // inside a disabled panel
    EXPECT_EQ(scene.clicked, "high;");
}
