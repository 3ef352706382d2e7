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
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 60);
    TMaskEdit edit(nullptr);
    edit.SetEditMask("!9999/99/00;1;_");
    edit.SetBounds(4, 4, 120, 21);
    edit.SetParent(&form);
    form.ShowForm();
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
