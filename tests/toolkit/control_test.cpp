#include "toolkit/control.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "toolkit/edit.h"
#include "toolkit/form.h"
#include "toolkit/image.h"

using namespace toolkit;

TEST(Control, DefaultCursorIsTheKindsOwn) {
    TForm form;
    TEdit edit(&form, "EPression");
    TImage image(&form, "IM_Fichiers");
    const struct {
        TControl* control;
        TCursor cursor;
        Qt::CursorShape shape;
    } cases[] = {
        {&edit, crDefault, Qt::IBeamCursor},           {&image, crDefault, Qt::ArrowCursor},
        {&image, crHandPoint, Qt::PointingHandCursor}, {&image, crNo, Qt::ForbiddenCursor},
        {&image, crDefault, Qt::ArrowCursor},          {&edit, crHandPoint, Qt::PointingHandCursor},
        {&edit, crDefault, Qt::IBeamCursor},
    };
    for (const auto& c : cases) {
        c.control->SetCursor(c.cursor);
        EXPECT_EQ(c.control->Cursor(), c.cursor);
        EXPECT_EQ(c.control->Widget()->cursor().shape(), c.shape)
            << c.control->Name() << " " << c.cursor;
    }
}
