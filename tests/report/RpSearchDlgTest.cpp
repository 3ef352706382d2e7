// Text search in recorded pages (whole characters, wide and code-page text,
// case folded for letters only, damaged records) and the search dialog.
#include "report/RpSearchDlg.h"

#include "platform/core/Encoding.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TMetafile PageWith(const std::vector<std::string> &lines)
{
    TMetafile page;
    page.SetWidth(400);
    page.SetHeight(400);
    TMetafileCanvas canvas(page);
    int y = 10;
    for (const std::string &line : lines) {
        canvas.TextOut(10, y, line);
        y += 20;
    }
    canvas.Finish();
    return page;
}

void PutU32(std::string &bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A byte text-out record holding `text` (code page 932 bytes), then the end record.
std::string ByteTextRecord(const std::string &text, std::uint32_t count, std::uint32_t offset = 76)
{
    std::string record;
    std::string padded = text;
    while (padded.size() % 4 != 0)
        padded += '\0';
    PutU32(record, 83);
    PutU32(record, static_cast<std::uint32_t>(76 + padded.size()));
    record += std::string(28, '\0');  // bounds, mode, scales
    record += std::string(8, '\0');   // reference point
    PutU32(record, count);
    PutU32(record, offset);
    record += std::string(24, '\0');  // options, rectangle, advances offset
    record += padded;
    PutU32(record, 14);
    PutU32(record, 20);
    record += std::string(12, '\0');
    return record;
}

} // namespace

TEST(RpSearch, WideTextIsComparedByWholeCharacters)
{
    const TMetafile page = PageWith({"工程表の作成", "Schedule ABC"});
    EXPECT_TRUE(MetafileContainsText("工程", page, false));
    EXPECT_TRUE(MetafileContainsText("表の作", page, true));
    EXPECT_FALSE(MetafileContainsText("工程表作成", page, false));
    // "N" shares its low byte with "の" (U+306E) and must not match it.
    EXPECT_FALSE(MetafileContainsText("N", page, true));
    EXPECT_FALSE(MetafileContainsText("n", page, false));
    // Case is folded for letters only, and only without match case.
    EXPECT_TRUE(MetafileContainsText("schedule abc", page, false));
    EXPECT_FALSE(MetafileContainsText("schedule abc", page, true));
    EXPECT_TRUE(MetafileContainsText("Schedule ABC", page, true));
    EXPECT_FALSE(MetafileContainsText("absent", page, false));
    EXPECT_FALSE(MetafileContainsText("工程", TMetafile(), false));
}

TEST(RpSearch, ByteTextIsReadAsCodePage932)
{
    const std::string katakanaA = Utf8ToCp932("ア");  // 0x83 0x41
    ASSERT_EQ(katakanaA, std::string("\x83\x41"));
    const std::string emf = ByteTextRecord(katakanaA + Utf8ToCp932("イ") + "xyz", 7);
    EXPECT_TRUE(MetafileBytesContainText("アイ", emf, true));
    EXPECT_FALSE(MetafileBytesContainText("A", emf, false));  // the trail byte of ア
    EXPECT_TRUE(MetafileBytesContainText("XYZ", emf, false));
    EXPECT_FALSE(MetafileBytesContainText("XYZ", emf, true));
}

TEST(RpSearch, DamagedRecordsFindNothingAndStopTheWalk)
{
    const std::string good = ByteTextRecord("hello", 5);
    EXPECT_TRUE(MetafileBytesContainText("hello", good, true));
    // A count or an offset beyond the record.
    EXPECT_FALSE(MetafileBytesContainText("hello", ByteTextRecord("hello", 500), true));
    EXPECT_FALSE(MetafileBytesContainText("hello", ByteTextRecord("hello", 5, 0xFFFFFFF0u), true));
    // A record size beyond the bytes, or one that is not a multiple of four.
    std::string tooLong = good;
    tooLong[4] = static_cast<char>(0xF0);
    EXPECT_FALSE(MetafileBytesContainText("hello", tooLong, true));
    std::string odd = good;
    odd[4] = 3;
    EXPECT_FALSE(MetafileBytesContainText("hello", odd, true));
    EXPECT_FALSE(MetafileBytesContainText("hello", good.substr(0, 30), true));
    EXPECT_FALSE(MetafileBytesContainText("hello", "", true));
}

TEST(RpSearch, TheDialogTellsSearchFromCancel)
{
    TSearchDlg dialog(nullptr);
    EXPECT_EQ(dialog.Caption(), "Search for Text");
    EXPECT_EQ(dialog.Label1->Caption(), "Search Text");
    EXPECT_EQ(dialog.CheckBox1->Caption(), "Match case");
    dialog.Edit1->SetText("工程");
    dialog.SpeedButton2->Click();
    EXPECT_FALSE(dialog.Cancelled);
    EXPECT_EQ(dialog.ModalResult(), mrOk);
    dialog.SpeedButton1->Click();
    EXPECT_TRUE(dialog.Cancelled);
}
