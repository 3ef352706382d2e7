#include "platform/kernel/Forms.h"
#include "platform/widgets/Mask.h"
#include "platform/kernel/QtControls.h"
#include "platform/services/InputSimulation.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include "tests/KeyInput.h"

#include <gtest/gtest.h>

namespace {

using testing_support::Key;
using testing_support::Type;

// A date mask edit on a form of its own, as a grid cell's editor holds it.
struct TDateMaskOnForm {
    TForm form{nullptr};
    TMaskEdit edit{nullptr};
    TDateMaskOnForm()
    {
        form.SetBounds(0, 0, 200, 60);
        edit.SetEditMask("!9999/99/00;1;_");
        edit.SetBounds(4, 4, 120, 21);
        edit.SetParent(&form);
    }
};

} // namespace

TEST(EditMask, FieldsLiteralsAndCharacterClasses)
{
    TEditMask date("!9999/99/00;1;_");
    EXPECT_EQ(date.Length(), 10);
    EXPECT_TRUE(date.IsLiteral(4));
    EXPECT_FALSE(date.IsRequired(0));
    EXPECT_TRUE(date.IsRequired(9));
    EXPECT_EQ(date.BlankChar(), U'_');
    EXPECT_EQ(Utf32ToUtf8(date.EmptyText()), "    /  /  ");
    EXPECT_EQ(FormatMaskText("!9999/99/00;1;_", "2024/01/08"), "2024/01/08");
    EXPECT_EQ(FormatMaskText("!9999年99月00日;1;_", "2024年01月08日"), "2024年01月08日");
    EXPECT_EQ(Utf32ToUtf8(TEditMask("!9999年99月00日;1;_").EmptyText()), "    年  月  日");

    // Literals left out of the text; upper case; letters only; escaped literal.
    EXPECT_EQ(FormatMaskText("000-0000;0;_", "123-4567"), "1234567");
    EXPECT_EQ(FormatMaskText(">LL\\0;1;_", "ab0"), "AB0");
    TEditMask letters("Ll;1;*");
    EXPECT_EQ(letters.Accept(0, U'7'), 0u);
    EXPECT_EQ(letters.Accept(0, U'x'), U'x');
    EXPECT_EQ(letters.BlankChar(), U'*');
    TEditMask sign("#");
    EXPECT_EQ(sign.Accept(0, U'-'), U'-');
    EXPECT_EQ(sign.Accept(0, U'a'), 0u);
    EXPECT_FALSE(letters.Complete(U" x"));
    EXPECT_TRUE(letters.Complete(U"y "));
}

TEST(MaskEdit, TypingKeepsFittingCharactersAndSkipsLiterals)
{
    TMaskEdit edit(nullptr);
    edit.SetEditMask("!9999/99/00;1;_");
    EXPECT_EQ(edit.Text(), "    /  /  ");
    EXPECT_EQ(edit.EditText(), "____/__/__");
    int changes = 0;
    edit.OnChange = [&](TObject *) { ++changes; };
    Type(&edit, "20x24-0１108z");
    EXPECT_EQ(edit.EditText(), "2024/01/08");
    EXPECT_EQ(changes, 8);
    EXPECT_TRUE(edit.IsComplete());
    // Backspace clears the position before the caret, passing over literals.
    Key(&edit, VK_LEFT);
    Key(&edit, VK_LEFT);
    Key(&edit, VK_BACK);
    EXPECT_EQ(edit.EditText(), "2024/0_/08");
    Type(&edit, "3");
    EXPECT_EQ(edit.Text(), "2024/03/08");
    // A selection is cleared by Delete; a required position left empty is incomplete.
    edit.SelectAll();
    Key(&edit, VK_DELETE);
    EXPECT_EQ(edit.Text(), "    /  /  ");
    EXPECT_FALSE(edit.IsComplete());
    edit.SetText("2024/1/5");
    EXPECT_EQ(edit.EditText(), "2024/1_/5_");
    EXPECT_FALSE(edit.IsComplete());
}

TEST(MaskEdit, PlainTextHonoursMaxLengthAndReadOnly)
{
    TMaskEdit edit(nullptr);
    edit.SetMaxLength(4);
    Type(&edit, "あいうえお");
    EXPECT_EQ(edit.Text(), "あいうえ");
    Key(&edit, VK_HOME);
    Key(&edit, VK_RIGHT, ssShift);
    EXPECT_EQ(edit.SelText(), "あ");
    Key(&edit, VK_DELETE);
    EXPECT_EQ(edit.Text(), "いうえ");
    edit.SetReadOnly(true);
    Type(&edit, "x");
    Key(&edit, VK_BACK);
    EXPECT_EQ(edit.Text(), "いうえ");
}

TEST(MaskEdit, KeysTypedIntoTheWindowArriveAsCharacters)
{
    TDateMaskOnForm shown;
    TMaskEdit &edit = shown.edit;
    shown.form.ShowForm();
    edit.SetFocus();
    edit.SetSelStart(0);
    QTest::keyClicks(edit.Link()->Widget(), "2024a0108");
    EXPECT_EQ(edit.Text(), "2024/01/08");
    QTest::keyClick(edit.Link()->Widget(), Qt::Key_Backspace);
    EXPECT_EQ(edit.Text(), "2024/01/0 ");
}

namespace {

std::string ClipboardText()
{
    return QGuiApplication::clipboard()->text().toStdString();
}

} // namespace

// Ctrl+C, Ctrl+X and Ctrl+V (and the Insert/Delete forms) work the clipboard;
// pasted text keeps to the length limit, takes only its first line and is
// refused by a read-only edit.
TEST(MaskEdit, ClipboardKeysCopyCutAndPasteWithinTheLimit)
{
    TMaskEdit edit(nullptr);
    edit.SetMaxLength(6);
    edit.SetText("abc");
    Key(&edit, VK_END);
    SimulateClipboard("12345\r\nsecond line");
    Key(&edit, 'V', ssCtrl);
    EXPECT_EQ(edit.Text(), "abc123");
    Key(&edit, VK_HOME);
    Key(&edit, VK_RIGHT);
    Key(&edit, VK_RIGHT, ssShift);
    Key(&edit, VK_RIGHT, ssShift);
    Key(&edit, 'C', ssCtrl);
    EXPECT_EQ(ClipboardText(), "bc");
    EXPECT_EQ(edit.Text(), "abc123");
    SimulateClipboard("");
    Key(&edit, 'X', ssCtrl);
    EXPECT_EQ(ClipboardText(), "bc");
    EXPECT_EQ(edit.Text(), "a123");
    Key(&edit, VK_INSERT, ssShift);
    EXPECT_EQ(edit.Text(), "abc123");
    // A selection pasted over makes room for what replaces it.
    edit.SelectAll();
    SimulateClipboard("\t改行なし");
    Key(&edit, 'V', ssCtrl);
    EXPECT_EQ(edit.Text(), "改行なし");

    edit.SetReadOnly(true);
    edit.SelectAll();
    SimulateClipboard("x");
    Key(&edit, 'X', ssCtrl);
    EXPECT_EQ(ClipboardText(), "改行なし");
    Key(&edit, 'V', ssCtrl);
    EXPECT_EQ(edit.Text(), "改行なし");
}

// Pasted text goes through the mask as if typed; a numeric edit takes full-width digits.
TEST(MaskEdit, PastedTextKeepsToTheMask)
{
    TMaskEdit edit(nullptr);
    edit.SetEditMask("!9999/99/00;1;_");
    SimulateClipboard("2024/03/10");
    Key(&edit, 'V', ssCtrl);
    EXPECT_EQ(edit.Text(), "2024/03/10");
    edit.SelectAll();
    SimulateClipboard("ab");
    Key(&edit, 'V', ssCtrl);
    EXPECT_EQ(edit.Text(), "2024/03/10");
    edit.SetNumericInput(true);
    edit.SelectAll();
    SimulateClipboard("２０２５年１２月３１日");
    Key(&edit, 'V', ssCtrl);
    EXPECT_EQ(edit.Text(), "2025/12/31");
}

namespace {

QRgb ToRgb(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return qRgb(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>((rgb >> 16) & 0xFF));
}

} // namespace

// Selected characters show in the selection's text colour on the selection
// colour, as in every other text field; the rest keep the font's colour.
TEST(MaskEdit, SelectedCharactersTakeTheSelectionsTextColour)
{
    TDateMaskOnForm shown;
    TMaskEdit &edit = shown.edit;
    ASSERT_TRUE(SimulateActivation(shown.form));
    edit.SetFocus();
    // The selection's text colour is light on the dark selection, the font's
    // colour dark on the light window: the characters' (smoothed) pixels tell
    // which colour drew them by being lighter or darker than their ground.
    const QRgb selection = ToRgb(clHighlight);
    ASSERT_GT(qGray(ToRgb(clHighlightText)), qGray(selection));
    ASSERT_LT(qGray(ToRgb(edit.Font().Color())), qGray(selection));
    struct TShown {
        int lightInSelection = 0, darkInSelection = 0, darkAfter = 0;
    };
    auto look = [&] {
        const QImage image = edit.Link()->Widget()->grab().toImage();
        int left = image.width(), right = -1, top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == selection) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        TShown shown;
        for (int y = top; y <= bottom; ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (x >= left && x <= right && pixel != selection) {
                    shown.lightInSelection += qGray(pixel) > qGray(selection);
                    shown.darkInSelection += qGray(pixel) < qGray(selection);
                } else if (x > right + 1) {
                    shown.darkAfter += qGray(pixel) < 128;
                }
            }
        return shown;
    };
    SimulateKey(VK_HOME);
    SimulateKey(VK_END, ssShift);  // the whole empty mask "____/__/__"
    ASSERT_EQ(edit.SelLength(), 10);
    const TShown all = look();
    EXPECT_GT(all.lightInSelection, 10);
    EXPECT_EQ(all.darkInSelection, 0);

    // The year's field alone: the slashes and the other fields keep the font's colour.
    SimulateKey(VK_HOME);
    for (int i = 0; i < 4; ++i)
        SimulateKey(VK_RIGHT, ssShift);
    ASSERT_EQ(edit.SelLength(), 4);
    const TShown year = look();
    EXPECT_GT(year.lightInSelection, 5);
    EXPECT_EQ(year.darkInSelection, 0);
    EXPECT_GT(year.darkAfter, 5);
    shown.form.Hide();
}
