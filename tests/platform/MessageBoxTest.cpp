// The real message box: which window it belongs to and whether it stays
// above a window that stays on top.
#include "platform/kernel/Forms.h"
#include "platform/kernel/MessageBoxOwner.h"
#include "platform/services/InputSimulation.h"
#include "platform/kernel/QtControls.h"
#include "platform/services/DesktopServices.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace {

struct TShownBox {
    QWidget *parent = nullptr;
    bool staysOnTop = false;
};

// Shows a real message box and notes, while it is up, what it sits on.
TShownBox ShowBox()
{
    TShownBox shown;
    QTimer::singleShot(0, [&] {
        QWidget *box = QApplication::activeModalWidget();
        ASSERT_NE(qobject_cast<QMessageBox *>(box), nullptr);
        shown.parent = box->parentWidget();
        shown.staysOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        static_cast<QMessageBox *>(box)->accept();
    });
    TDesktopServices real;
    real.MessageBox("工程", "Tarvold", MB_OK);
    return shown;
}

QWidget *WindowOf(TCustomForm &form) { return form.Link()->Widget()->window(); }

} // namespace

TEST(MessageBox, BelongsToItsOwnerAndStaysAboveAWindowThatStaysOnTop)
{
    TForm preview(nullptr);
    preview.SetBounds(0, 0, 300, 200);
    preview.SetFormStyle(fsStayOnTop);
    TForm other(nullptr);
    other.SetBounds(0, 0, 200, 100);
    ASSERT_TRUE(SimulateActivation(preview));
    ASSERT_TRUE(SimulateActivation(other));

    // Without an owner named, the box belongs to the active window.
    TShownBox shown = ShowBox();
    EXPECT_EQ(shown.parent, WindowOf(other));
    EXPECT_FALSE(shown.staysOnTop);
    {
        TMessageBoxOwner owner(preview);
        EXPECT_EQ(MessageBoxOwner(), &preview);
        {
            TMessageBoxOwner inner(other);
            EXPECT_EQ(MessageBoxOwner(), &other);
        }
        shown = ShowBox();
        EXPECT_EQ(shown.parent, WindowOf(preview));
        EXPECT_TRUE(shown.staysOnTop);
    }
    preview.Hide();
    other.Hide();
}
