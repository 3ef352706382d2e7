// The real message box: which window it belongs to, whether it stays above a
// window that stays on top, and which answers Escape and the close request give.
#include "platform/kernel/Forms.h"
#include "platform/kernel/MessageBoxOwner.h"
#include "platform/services/InputSimulation.h"
#include "platform/kernel/QtControls.h"
#include "platform/services/DesktopServices.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

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

// Shows a real box with these buttons and plays the person's input on it once
// it is up; a box the input left up is answered with its last button.
int AnswerBox(unsigned flags, const std::function<void()> &input)
{
    SimulateNextMessageBoxInput([&] {
        EXPECT_EQ(QApplication::activeWindow(), QApplication::activeModalWidget());
        input();
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->buttons().last()->click();
    });
    TDesktopServices real;
    return real.MessageBox("工程", "Tarvold", flags);
}

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

// A box of only はい and いいえ (or 中止, 再試行 and 無視) names no way out: it
// asks for no close button and Escape leaves it up until one of its buttons
// is clicked. The close request a window manager sends all the same takes it
// down with no answer, which is never いいえ.
TEST(MessageBox, ABoxWithoutCancelMustBeAnsweredWithItsButtons)
{
    struct Case { unsigned flags; const char *click; int answer; };
    for (Case c : {Case{MB_YESNO | MB_ICONQUESTION, "はい", IDYES}, Case{MB_YESNO, "いいえ", IDNO},
                   Case{MB_ABORTRETRYIGNORE, "再試行", IDRETRY}}) {
        bool closable = true, upAfterEscape = false, clicked = false;
        int answer = AnswerBox(c.flags, [&] {
            closable = QApplication::activeModalWidget()->windowFlags().testFlag(Qt::WindowCloseButtonHint);
            SimulateKey(VK_ESCAPE);
            upAfterEscape = MessageBoxShown();
            clicked = SimulateMessageBoxClick(c.click);
        });
        EXPECT_FALSE(closable) << c.click;
        EXPECT_TRUE(upAfterEscape) << c.click;
        EXPECT_TRUE(clicked) << c.click;
        EXPECT_EQ(answer, c.answer) << c.click;

        bool goneAfterClose = false;
        EXPECT_EQ(AnswerBox(c.flags, [&] {
                      SimulateCloseRequest();
                      goneAfterClose = !MessageBoxShown();
                  }),
                  IDCANCEL)
            << c.click;
        EXPECT_TRUE(goneAfterClose) << c.click;
    }
}

// A box with キャンセル answers Escape and the close request with it, a lone OK
// with OK.
TEST(MessageBox, EscapeAndTheCloseRequestAnswerCancelOrTheLoneOk)
{
    struct Case { unsigned flags; int answer; };
    for (Case c : {Case{MB_OK, IDOK}, Case{MB_OKCANCEL, IDCANCEL}, Case{MB_YESNOCANCEL, IDCANCEL},
                   Case{MB_RETRYCANCEL, IDCANCEL}}) {
        bool goneAfterEscape = false, goneAfterClose = false;
        EXPECT_EQ(AnswerBox(c.flags, [&] {
                      SimulateKey(VK_ESCAPE);
                      goneAfterEscape = !MessageBoxShown();
                  }),
                  c.answer)
            << c.flags;
        EXPECT_EQ(AnswerBox(c.flags, [&] {
                      SimulateCloseRequest();
                      goneAfterClose = !MessageBoxShown();
                  }),
                  c.answer)
            << c.flags;
        EXPECT_TRUE(goneAfterEscape) << c.flags;
        EXPECT_TRUE(goneAfterClose) << c.flags;
    }
}
