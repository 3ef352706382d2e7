#include "platform/kernel/Application.h"
#include "platform/core/DateTime.h"
#include "platform/core/Encoding.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "schedule/Main.h"
#include "schedule/MainDocument.h"
#include "tests/OrdinaryUser.h"
#include "tests/TestSupport.h"
#include "tests/schedule/DocumentWindow.h"
#include "tests/schedule/TestBars.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

using testing_support::FakeServices;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

struct TDocumentFixture : TDocumentWindow {
    std::string Save(const std::string &name = "doc.xml")
    {
        std::string path = dir.File(name);
        EXPECT_TRUE(WriteXmlFile(*form, path));
        return ReadBytes(path);
    }
    void Open(const std::string &path)
    {
        form->FreeDocument();
        form->NewDocument();
        form->FFileName = path;
        ReadXmlFile(*form, path);
    }
    void OpenText(const std::string &bytes)
    {
        std::string path = dir.File("in.xml");
        WriteBytes(path, bytes);
        Open(path);
    }
};

const char *const kHeaderTail =
    "<timescale>0</timescale>\r\n<calendarindex>0</calendarindex>\r\n<itempanel>180</itempanel>\r\n"
    "<papersize>9</papersize>\r\n<orientation>1</orientation>\r\n"
    "<topmargin>10</topmargin>\r\n<bottommargin>10</bottommargin>\r\n<leftmargin>10</leftmargin>\r\n"
    "<rightmargin>10</rightmargin>\r\n<frametop>1</frametop>\r\n<framebottom>1</framebottom>\r\n"
    "<frameleft>1</frameleft>\r\n<frameright>1</frameright>\r\n<framecolor>-16777208</framecolor>\r\n"
    "<framewidth>1</framewidth>\r\n<printmidashi>スケジュール表</printmidashi>\r\n"
    "<printtitle>1</printtitle>\r\n<printdate>1</printdate>\r\n<printhanko1>1</printhanko1>\r\n"
    "<printhanko2>1</printhanko2>\r\n<printhanko3>1</printhanko3>\r\n<printhanko4>1</printhanko4>\r\n"
    "<printkaishamei></printkaishamei>\r\n"
    "<groupname1></groupname1>\r\n<groupname2></groupname2>\r\n<groupname3></groupname3>\r\n"
    "<groupname4></groupname4>\r\n<groupname5></groupname5>\r\n<groupname6></groupname6>\r\n"
    "<groupname7></groupname7>\r\n<groupname8></groupname8>\r\n<groupname9></groupname9>\r\n"
    "<groupname10></groupname10>\r\n<groupname11></groupname11>\r\n<groupname12></groupname12>\r\n"
    "<groupcolor1>8454143</groupcolor1>\r\n<groupcolor2>8454016</groupcolor2>\r\n"
    "<groupcolor3>16777088</groupcolor3>\r\n<groupcolor4>16744448</groupcolor4>\r\n"
    "<groupcolor5>8421631</groupcolor5>\r\n<groupcolor6>12615935</groupcolor6>\r\n"
    "<groupcolor7>12615680</groupcolor7>\r\n<groupcolor8>4227327</groupcolor8>\r\n"
    "<groupcolor9>16744576</groupcolor9>\r\n<groupcolor10>32896</groupcolor10>\r\n"
    "<groupcolor11>16384</groupcolor11>\r\n<groupcolor12>8421376</groupcolor12>\r\n"
    "<itemlist>\r\n</itemlist>\r\n</schedule>\r\n";

std::string MinimalDocument(const std::string &encoding)
{
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\" standalone=\"yes\" ?>\r\n"
           "<?xml-stylesheet type=\"text/xsl\" href=\"Tarvold.xsl\"?>\r\n<schedule>\r\n"
           "<version>1.18</version>\r\n<title></title>\r\n<startdate>2024/01/05</startdate>\r\n"
        + std::string(kHeaderTail);
}

// A document of this version with one row, built as the writer lays it out.
std::string OneRowDocument(const std::string &rowBody, const std::string &version = "1.18",
                           const std::string &scale = "<timescale>0</timescale><calendarindex>0</calendarindex>")
{
    std::string v = version.empty() ? "" : "<version>" + version + "</version>\r\n";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n<schedule>\r\n" + v
        + "<startdate>2024/01/05</startdate>\r\n" + scale + "\r\n<itemlist>\r\n<item>\r\n" + rowBody
        + "\r\n</item>\r\n</itemlist>\r\n</schedule>\r\n";
}

int XmlLint(const std::string &path)
{
    return std::system(("xmllint --noout '" + path + "' 2>/dev/null").c_str());
}

TChart &AddBar(TItem &row, TDateTime start, TDateTime end) { return AddTestBar(row, start, end); }

} // namespace

TEST(XmlFile, MinimalDocumentIsTheHeaderInShiftJisOrUtf8)
{
    TDocumentFixture f;
    StartDate = EncodeDate(2024, 1, 5);
    std::string sjis = f.Save("sjis.xml");
    EXPECT_EQ(sjis, Utf8ToCp932(MinimalDocument("Shift_JIS")));
    int lines = 0;
    for (size_t p = 0; (p = sjis.find("\r\n", p)) != std::string::npos; p += 2)
        ++lines;
    EXPECT_EQ(lines, 56);
    EXPECT_EQ(XmlLint(f.dir.File("sjis.xml")), 0);

    EncodingStrSet = "UTF-8";
    EXPECT_EQ(f.Save("utf8.xml"), MinimalDocument("UTF-8"));
    EXPECT_EQ(XmlLint(f.dir.File("utf8.xml")), 0);
    EXPECT_FALSE(Modified);
    EXPECT_TRUE(f.form->FHasFile);
    EXPECT_EQ(f.form->fnk1->Entry(0), f.dir.File("utf8.xml"));

    // An empty encoding setting becomes Shift_JIS and stays so.
    EncodingStrSet = "";
    f.Save("empty.xml");
    EXPECT_EQ(EncodingStrSet, "Shift_JIS");
}

TEST(XmlFile, Utf8FileSavedBackAsShiftJis)
{
    TDocumentFixture f;
    f.OpenText(OneRowDocument("<text>工程①</text>") );
    EXPECT_EQ(ItemList.at(0)->FMemo->Text(), "工程①");
    std::string bytes = f.Save();
    EXPECT_NE(bytes.find("encoding=\"Shift_JIS\""), std::string::npos);
    EXPECT_NE(bytes.find("<text>\x8D\x48\x92\xF6\x87\x40</text>"), std::string::npos);
    EXPECT_TRUE(f.services->messages.empty());
    f.Open(f.dir.File("doc.xml"));
    EXPECT_EQ(ItemList.at(0)->FMemo->Text(), "工程①");
}

// The encoding a document names is read whatever its case; a document that
// names none is UTF-8 when its bytes are, as XML reads it, else code page 932.
TEST(XmlFile, TheEncodingIsNamedInAnyCaseOrElseTakenFromTheBytes)
{
    const std::string utf8 = "工程①～";
    const std::string cp932 = Utf8ToCp932(utf8);
    const std::string declared = "<?xml version=\"1.0\" encoding=\"";
    const std::string body = "<schedule>\r\n<title>";
    const std::string tail = "</title>\r\n<itemlist>\r\n</itemlist>\r\n</schedule>\r\n";
    struct TCase {
        std::string head;
        std::string title;  // as bytes
    };
    const TCase cases[] = {
        {declared + "utf-8\" standalone=\"yes\" ?>\r\n", utf8},
        {declared + "Utf-8\"?>\r\n", utf8},
        {declared + "UTF-8\"?>\r\n", utf8},
        {declared + "shift_jis\"?>\r\n", cp932},
        {declared + "SHIFT_JIS\"?>\r\n", cp932},
        {"<?xml version=\"1.0\"?>\r\n", utf8},
        {"", utf8},
        {"<?xml version=\"1.0\"?>\r\n", cp932},
        {"", cp932},
        // The word in a text names no encoding.
        {"<?xml version=\"1.0\"?>\r\n<remark>encoding</remark>\r\n", utf8},
        // A setting spelled "utf-8" wrote code page 932 under that name.
        {declared + "utf-8\"?>\r\n", cp932},
    };
    for (const TCase &c : cases) {
        TDocumentValues doc;
        ParseScheduleDocument(c.head + body + c.title + tail, doc);
        EXPECT_EQ(doc.Title.value_or(""), utf8) << c.head << (c.title == utf8 ? " (UTF-8)" : " (CP932)");
    }
    // Another encoding named keeps code page 932, as before.
    TDocumentValues doc;
    ParseScheduleDocument(declared + "EUC-JP\"?>\r\n" + body + cp932 + tail, doc);
    EXPECT_EQ(doc.Title.value_or(""), utf8);

    // Opened and saved, the text is the text, not what the other encoding made of it.
    TDocumentFixture f;
    f.OpenText(declared + "utf-8\"?>\r\n" + body + utf8 + tail);
    EXPECT_EQ(f.form->edtHdTitle->Text(), utf8);
    EXPECT_NE(f.Save().find("<title>" + cp932 + "</title>"), std::string::npos);
}

// A document the program wrote reads back as it was and is saved again byte for byte.
TEST(XmlFile, TheProgramsOwnFilesReadBackByteForByte)
{
    TDocumentFixture f;
    f.form->edtHdTitle->SetText("計画①～");
    f.form->AddItem();
    ItemList.back()->FMemo->SetText("工程\r\n二行目 <&>");
    AddBar(*ItemList.back(), EncodeDate(2024, 1, 8), EncodeDate(2024, 1, 10)).FBar->SetCaption("作業－");
    for (const char *encoding : {"Shift_JIS", "UTF-8", "utf-8"}) {
        EncodingStrSet = encoding;
        const std::string first = f.Save("own.xml");
        f.Open(f.dir.File("own.xml"));
        EXPECT_EQ(f.form->edtHdTitle->Text(), "計画①～") << encoding;
        EXPECT_EQ(ItemList.at(0)->FMemo->Text(), "工程\r\n二行目 <&>") << encoding;
        EXPECT_EQ(ItemList.at(0)->FCharts.at(0)->FBar->Caption(), "作業－") << encoding;
        EXPECT_EQ(f.Save("own.xml"), first) << encoding;
    }
}

TEST(XmlFile, FileWithoutVersionTakesTheOldMigrations)
{
    TDocumentFixture f;
    f.OpenText("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<schedule>\r\n<startdate>2024/01/05</startdate>\r\n"
               "<calendarindex>5</calendarindex><papersize>30</papersize>\r\n<itemlist><item><chartlist><chart>"
               "<startdate>2024/01/10</startdate><enddate>2024/01/07</enddate><jisseki>2</jisseki><ritsu>50</ritsu>"
               "</chart><chart><startdate>2024/01/10</startdate><enddate>2024/01/10</enddate></chart></chartlist>"
               "<eventlist><event><eventdate>2024/01/08</eventdate><line>1</line></event></eventlist></item>"
               "</itemlist></schedule>");
    EXPECT_EQ(FileVersion, 0);
    EXPECT_EQ(PaperSize, 9);
    EXPECT_EQ(f.form->tbcCalSelect->TabIndex(), 5);
    EXPECT_EQ(DaysShown, 95);
    const TItem &row = *ItemList.at(0);
    const TChart &bar = *row.FCharts.at(0);
    EXPECT_EQ(bar.FStartDate, EncodeDate(2024, 1, 10));
    EXPECT_EQ(static_cast<double>(bar.FDuration), 3.0);
    EXPECT_EQ(bar.FEndDate, EncodeDate(2024, 1, 13));
    EXPECT_EQ(bar.FChakushubi, EncodeDate(2024, 1, 10));
    EXPECT_EQ(bar.FJissekibi, EncodeDate(2024, 1, 12));
    ASSERT_TRUE(bar.FProgressBar);
    EXPECT_NE(bar.FBar->Hint().find("実績日：2024/01/12"), std::string::npos);
    EXPECT_EQ(static_cast<double>(row.FCharts.at(1)->FDuration), 0.0);
    EXPECT_EQ(row.FEvents.at(0).Line, 0);
    EXPECT_EQ(f.form->lblItemSuu->Caption(), "項目：1/1");
    EXPECT_EQ(SelectedItem, ItemList.at(0).get());
    EXPECT_FALSE(Modified);
    EXPECT_TRUE(f.form->FHasFile);
    EXPECT_EQ(f.form->Caption(), f.dir.File("in.xml"));
    EXPECT_EQ(Application().Title(), "たるぼる-in.xml");
}

TEST(XmlFile, CalendarIndexOfVersionsOneAndTwo)
{
    TDocumentFixture f;
    f.OpenText(OneRowDocument("", "1.05", "<timescale>1</timescale><calendarindex>2</calendarindex>"));
    EXPECT_EQ(f.form->tbcCalSelect->TabIndex(), 5);
    EXPECT_EQ(DaysShown, 95);
    CustomTimeScale = 40;
    f.OpenText(OneRowDocument("", "1.18", "<timescale>0</timescale><calendarindex>9</calendarindex>"));
    EXPECT_EQ(f.form->tbcCalSelect->TabIndex(), 9);
    EXPECT_EQ(DaysShown, 40);
    f.OpenText(OneRowDocument("", "2.00", "<calendarindex>1</calendarindex>"));
    EXPECT_EQ(f.form->tbcCalSelect->TabIndex(), 0);
    EXPECT_EQ(DaysShown, 7);
    f.OpenText(OneRowDocument("", "2.00", "<calendarindex>4</calendarindex>"));
    EXPECT_EQ(f.form->tbcCalSelect->TabIndex(), 3);
    EXPECT_EQ(DaysShown, 31);
    f.OpenText(OneRowDocument("", "2.00", "<calendarindex>10</calendarindex>"));
    EXPECT_EQ(DaysShown, 40);
    EXPECT_EQ(f.form->scb2->LargeChange(), 13);
    // A custom scale of one or two days still pages by a day.
    CustomTimeScale = 2;
    f.OpenText(OneRowDocument("", "1.18", "<timescale>0</timescale><calendarindex>9</calendarindex>"));
    EXPECT_EQ(DaysShown, 2);
    EXPECT_EQ(f.form->scb2->LargeChange(), 1);
    // A version of 1.18 written with "0.00" is 118, above the event-line migration.
    f.OpenText(OneRowDocument("<eventlist><event><line>1</line></event></eventlist>"));
    EXPECT_EQ(FileVersion, 118);
    EXPECT_EQ(ItemList.at(0)->FEvents.at(0).Line, 1);
}

TEST(XmlFile, TextsTimesAndMarkupSurviveARoundTrip)
{
    TDocumentFixture f;
    StartDate = EncodeDate(2024, 1, 5);
    f.form->AddItem();
    TItem &row = *ItemList[0];
    row.FMemo->SetText("一行目\r\n\r\n三行目 <b> & </schedule>");
    f.form->edtHdTitle->SetText("A&B <計画>");
    PrintKaishamei = "株式会社\r\n\r\n営業部";
    TChart &bar = AddBar(row, EncodeDate(2024, 1, 8) + EncodeTime(16, 0, 0, 0) - 1e-9, EncodeDate(2024, 1, 10));
    bar.FBar->SetCaption("a&lt;b\r\n");
    bar.FBikou = "備考\r\n\r\n";
    bar.FJisseki = 1;
    bar.FChakushubi = EncodeDate(2024, 1, 8);
    bar.FJissekibi = EncodeDate(2024, 1, 9);
    bar.FRitsu = 12.5;
    row.FEvents.push_back(TEvent{EncodeDate(2024, 1, 9), "▲", "検査>", "ＭＳ ゴシック", 9, 255, 0, 1, 0});
    f.form->AddItem();
    std::string first = f.Save();
    EXPECT_NE(first.find("<startdate>2024/01/08 16:00:00</startdate>"), std::string::npos);
    EXPECT_NE(first.find("<enddate>2024/01/10</enddate>"), std::string::npos);
    EXPECT_NE(first.find("<nissuu>1.33</nissuu>"), std::string::npos);
    EXPECT_NE(first.find("<ritsu>12.5</ritsu>"), std::string::npos);
    EXPECT_NE(Cp932ToUtf8(first).find("<title>A&amp;B &lt;計画&gt;</title>"), std::string::npos);
    EXPECT_EQ(XmlLint(f.dir.File("doc.xml")), 0);

    f.Open(f.dir.File("doc.xml"));
    ASSERT_EQ(ItemList.size(), 2u);
    EXPECT_EQ(ItemList[0]->FMemo->Text(), "一行目\r\n\r\n三行目 <b> & </schedule>");
    EXPECT_EQ(f.form->edtHdTitle->Text(), "A&B <計画>");
    EXPECT_EQ(PrintKaishamei, "株式会社\r\n\r\n営業部");
    const TChart &back = *ItemList[0]->FCharts.at(0);
    EXPECT_EQ(back.FBar->Caption(), "a&lt;b\r\n");
    EXPECT_EQ(back.FBikou, "備考\r\n\r\n");
    EXPECT_EQ(FormatDocumentDate(back.FStartDate, true), "2024/01/08 16:00:00");
    EXPECT_EQ(ItemList[0]->FEvents.at(0).EventName, "検査>");
    EXPECT_EQ(ItemList[0]->FEvents.at(0).FontColor, 255u);
    // Open then save changes nothing.
    EXPECT_EQ(f.Save("again.xml"), first);
}

// Texts written empty read back empty, also those a new document, row or bar
// starts with a text of its own (the heading, the fonts' names, from the
// settings), and a blank one reads there as written. An event starts with
// empty texts and a blank font name leaves it so, as before.
TEST(XmlFile, TextsWrittenEmptyReadBackEmpty)
{
    TDocumentFixture f;
    ASSERT_FALSE(ItemFontName.empty());
    ASSERT_FALSE(ChartFontName.empty());
    f.form->edtHdTitle->SetText("計画");
    f.form->AddItem();
    f.form->AddItem();
    TItem &row = *ItemList[0];
    row.FMemo->SetText("工程");
    row.FMemo->SetText("");
    row.FMemo->Font().SetName("");
    TChart &bar = AddBar(row, EncodeDate(2024, 1, 8), EncodeDate(2024, 1, 10));
    bar.FBar->Font().SetName("  ");
    row.FEvents.push_back(TEvent{EncodeDate(2024, 1, 9), "", "", "", 9, 0, 0, 0, 0});
    ItemList[1]->FMemo->SetText("検査");
    PrintMidashi = "";
    const std::string first = f.Save();
    EXPECT_NE(first.find("<printmidashi></printmidashi>"), std::string::npos);

    f.Open(f.dir.File("doc.xml"));
    ASSERT_EQ(ItemList.size(), 2u);
    EXPECT_EQ(PrintMidashi, "");
    EXPECT_EQ(f.form->edtHdTitle->Text(), "計画");
    EXPECT_EQ(ItemList[0]->FMemo->Text(), "");
    EXPECT_EQ(ItemList[0]->FMemo->Font().Name(), "");
    const TChart &back = *ItemList[0]->FCharts.at(0);
    EXPECT_EQ(back.FBar->Caption(), "");
    EXPECT_EQ(back.FBar->Font().Name(), "  ");
    const TEvent &event = ItemList[0]->FEvents.at(0);
    EXPECT_EQ(event.Marker, "");
    EXPECT_EQ(event.EventName, "");
    EXPECT_EQ(event.FontName, "");
    EXPECT_EQ(ItemList[1]->FMemo->Text(), "検査");
    EXPECT_EQ(ItemList[1]->FMemo->Font().Name(), ItemFontName);
    EXPECT_EQ(f.Save("again.xml"), first);

    // An element of a line break only is empty too; a missing one keeps the
    // new document's text, and of several lines the last that is not blank counts.
    auto heading = [](const std::string &element) {
        TDocumentValues doc;
        ParseScheduleDocument("<schedule>\r\n" + element + "\r\n<title>t</title>\r\n</schedule>\r\n", doc);
        return doc.PrintMidashi;
    };
    EXPECT_EQ(heading("<printmidashi>\r\n</printmidashi>"), "");
    EXPECT_EQ(heading("<printmidashi>   </printmidashi>"), "   ");
    EXPECT_EQ(heading("<printmidashi>\r\n工程\r\n\r\n</printmidashi>"), "工程");
    EXPECT_EQ(heading("<printmidashi>表</printmidashi><printmidashi></printmidashi>"), "");
    EXPECT_EQ(heading(""), std::nullopt);
    TDocumentValues doc;
    ParseScheduleDocument(OneRowDocument("<font></font><eventlist><event><font><name>ＭＳ 明朝</name></font>"
                                         "<font><name> </name></font></event></eventlist>"),
                          doc);
    ASSERT_EQ(doc.Rows.size(), 1u);
    EXPECT_EQ(doc.Rows[0].Font.Name, std::nullopt);
    EXPECT_EQ(doc.Rows[0].Events.at(0).FontName, "ＭＳ 明朝");
}

TEST(XmlFile, EntitiesOfOlderFilesAndTheYearRule)
{
    TDocumentFixture f;
    // A bare "&" that starts none of the three entities reads as itself.
    f.OpenText(OneRowDocument("<text>R&D &amp;&quot;</text><chartlist><chart><startdate>2024/01/01</startdate>"
                              "<enddate>2024/01/02</enddate><jissekibi>5912/04/01</jissekibi>"
                              "<chakushubi>4088/02/29</chakushubi></chart></chartlist>"));
    EXPECT_EQ(ItemList.at(0)->FMemo->Text(), "R&D &&quot;");
    EXPECT_EQ(ItemList[0]->FCharts.at(0)->FJissekibi, EncodeDate(1936, 4, 1));
    EXPECT_EQ(ItemList[0]->FCharts[0]->FChakushubi, EncodeDate(2100, 2, 28));
}

TEST(XmlFile, OutOfRangeValuesAreKeptSafe)
{
    TDocumentFixture f;
    f.OpenText(OneRowDocument("<chartcnt>99</chartcnt><chartlist><chart><startdate>2024/01/05</startdate>"
                              "<enddate>2024/01/06</enddate><line>7</line></chart></chartlist>"
                              "<eventlist><event><line>-1</line></event></eventlist>")
               + "<papersize>-3</papersize>");
    EXPECT_EQ(ItemList.at(0)->FLineCount, 10);
    f.OpenText(OneRowDocument("<chartcnt>0</chartcnt><chartlist><chart><startdate>2024/01/05</startdate>"
                              "<enddate>2024/01/06</enddate><line>7</line></chart></chartlist>"));
    EXPECT_EQ(ItemList.at(0)->FLineCount, 1);
    EXPECT_EQ(ItemList[0]->FCharts.at(0)->FLine, 7);
    EXPECT_FALSE(ItemList[0]->FCharts[0]->FBar->Visible());
    f.OpenText(OneRowDocument("") + "<papersize>27</papersize>");
    EXPECT_EQ(PaperSize, 9);
}

// Bars whose end lies before their start are read as far after it; at the
// calendar's ends that is held to 9999/12/31, so that what the program saves
// it opens again, byte for byte the second time.
TEST(XmlFile, DocumentsAtTheCalendarsEndsReadSaveAndReadAgain)
{
    TDocumentFixture f;
    auto chart = [](const std::string &start, const std::string &end, const std::string &more = "") {
        return "<chart><startdate>" + start + "</startdate><enddate>" + end + "</enddate>" + more + "</chart>";
    };
    const std::string rows =
        "<chartlist>" + chart("9999/12/31", "0001/01/01") + chart("9999/12/30", "9999/12/29")
        + chart("9999/12/30", "9999/12/27") + chart("9999/12/31 12:00:00", "0001/01/01")
        + chart("0001/01/01", "9999/12/31") + chart("0001/01/02", "0001/01/01")
        + chart("0001/01/01", "0001/01/01", "<jisseki>1</jisseki>")
        + chart("9999/12/31", "9999/12/31") + "</chartlist>"
        + "<eventlist><event><eventdate>0001/01/01</eventdate></event>"
          "<event><eventdate>9999/12/31</eventdate></event></eventlist>";
    // Without a version the migrations of the oldest files run as well.
    for (const std::string version : {"1.18", ""}) {
        std::string text = OneRowDocument(rows, version);
        text.replace(text.find("2024/01/05"), 10, "9999/12/31");
        f.OpenText(text);
        const auto &bars = ItemList.at(0)->FCharts;
        ASSERT_EQ(bars.size(), 8u) << version;
        const std::pair<TDateTime, TDateTime> spans[] = {
            {LastDate, LastDate},
            {LastDate - 1, LastDate},
            {LastDate - 1, LastDate},
            {LastDate + 0.5, LastDate + 0.5},
            {FirstDate, LastDate},
            {FirstDate + 1, FirstDate + 2},
            {FirstDate, FirstDate},
            {LastDate, LastDate},
        };
        for (size_t i = 0; i < bars.size(); ++i) {
            EXPECT_EQ(bars[i]->FStartDate, spans[i].first) << version << " " << i;
            EXPECT_EQ(bars[i]->FEndDate, spans[i].second) << version << " " << i;
            EXPECT_EQ(bars[i]->FDuration, static_cast<long double>(spans[i].second) - spans[i].first) << i;
        }
        if (version.empty()) {
            // The last day of a bar that ends on the calendar's first day is that day.
            EXPECT_EQ(bars[6]->FChakushubi, FirstDate);
            EXPECT_EQ(bars[6]->FJissekibi, FirstDate);
        }
        EXPECT_EQ(StartDate, LastFittingStart(DaysShown)) << version;
        for (const char *encoding : {"Shift_JIS", "UTF-8"}) {
            EncodingStrSet = encoding;
            const std::string first = f.Save("ends.xml");
            EXPECT_EQ(first.find("<enddate>1"), std::string::npos) << first;
            EXPECT_NE(first.find("<enddate>9999/12/31 12:00:00</enddate>"), std::string::npos);
            f.Open(f.dir.File("ends.xml"));
            ASSERT_EQ(ItemList.at(0)->FCharts.size(), 8u);
            EXPECT_EQ(ItemList[0]->FCharts[0]->FEndDate, LastDate);
            EXPECT_EQ(f.Save("ends.xml"), first) << version << encoding;
        }
    }

    // A date the model got past either end by any road is written at that end.
    f.form->FreeDocument();
    f.form->NewDocument();
    f.form->AddItem();
    TChart &bar = AddBar(*ItemList[0], LastDate - 2, LastDate + 40);
    bar.FJisseki = 1;
    bar.FChakushubi = FirstDate - 3;
    bar.FJissekibi = LastDate + 0.9999999999;
    ItemList[0]->FEvents.push_back(TEvent{FirstDate - 1, "▲", "", "", 9, 0, 0, 0, 0});
    const std::string held = f.Save("held.xml");
    EXPECT_NE(held.find("<enddate>9999/12/31</enddate>"), std::string::npos);
    EXPECT_NE(held.find("<chakushubi>0001/01/01</chakushubi>"), std::string::npos);
    EXPECT_NE(held.find("<jissekibi>9999/12/31</jissekibi>"), std::string::npos);
    EXPECT_NE(held.find("<eventdate>0001/01/01</eventdate>"), std::string::npos);
    f.Open(f.dir.File("held.xml"));
    EXPECT_EQ(ItemList.at(0)->FCharts.at(0)->FEndDate, LastDate);
}

TEST(XmlFile, MigratedIndicesAtTheExtremesOfIntegersStayOutOfRange)
{
    TDocumentFixture f;
    // The index is out of range before and after the migration's sum: the new
    // document's time scale stays.
    f.OpenText(OneRowDocument("", "1.05", "<timescale>1</timescale><calendarindex>2147483647</calendarindex>"));
    EXPECT_EQ(f.form->tbcCalSelect->TabIndex(), 0);
    EXPECT_EQ(DaysShown, 7);
    f.OpenText(OneRowDocument("", "1.05", "<timescale>2</timescale><calendarindex>2147483647</calendarindex>"));
    EXPECT_EQ(f.form->tbcCalSelect->TabIndex(), 0);
    f.OpenText(OneRowDocument("", "1.05", "<timescale>1</timescale><calendarindex>-2</calendarindex>"));
    EXPECT_EQ(f.form->tbcCalSelect->TabIndex(), 1);
    // Below 83 every event line goes one down: the least integer stays off the rows.
    f.OpenText(OneRowDocument("<eventlist><event><line>-2147483648</line></event>"
                              "<event><line>2147483647</line></event><event><line>3</line></event></eventlist>",
                              ""));
    const std::vector<TEvent> &events = ItemList.at(0)->FEvents;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_LT(events[0].Line, 0);
    EXPECT_GE(events[1].Line, MaxLineCount);
    EXPECT_EQ(events[2].Line, 2);
    // A current file's line is kept far enough from the extremes for one-based numbers.
    f.OpenText(OneRowDocument("<eventlist><event><line>2147483647</line></event></eventlist>"));
    EXPECT_GE(ItemList.at(0)->FEvents.at(0).Line, MaxLineCount);
    EXPECT_LT(ItemList.at(0)->FEvents.at(0).Line, 2147483647);
}

TEST(XmlFile, RepeatedCaptionTextsAreJoinedInLinearTime)
{
    // 30,000 text elements in one row (1.2 MB): every one is kept, joined by
    // CR LF, in a fraction of a second; copying the whole text at each one
    // took half a minute.
    const std::string line(38, 'a');
    std::string body;
    for (int i = 0; i < 30000; ++i)
        body += "<text>" + line + "</text>\r\n";
    const std::string file = OneRowDocument(body);
    TDocumentValues doc;
    auto started = std::chrono::steady_clock::now();
    ParseScheduleDocument(file, doc);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_EQ(doc.Rows.size(), 1u);
    EXPECT_EQ(doc.Rows[0].Text->size(), 30000u * 40 - 2);
    EXPECT_EQ(doc.Rows[0].Text->substr(0, 40), line + "\r\n");
    EXPECT_LT(seconds, 2.0);
}

TEST(XmlFile, TextWithoutTheScheduleElementIsNoDocument)
{
    const std::string utf16("\xFF\xFE<\0s\0c\0h\0e\0d\0u\0l\0e\0>\0", 22);
    for (const std::string &bytes : {std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
                                     std::string("<!DOCTYPE html>\r\n<html><title>x</title><body></body></html>"),
                                     std::string("<?xml version=\"1.0\"?>\r\n<other><itemlist><item></item></itemlist></other>"),
                                     utf16, std::string()}) {
        TDocumentValues doc;
        EXPECT_THROW(ParseScheduleDocument(bytes, doc), EConvertError);
        EXPECT_TRUE(doc.Rows.empty());
        EXPECT_FALSE(doc.Title);
    }
    TempDir dir;
    WriteBytes(dir.File("page.html"), "<html><body>" + std::string(200000, 'x') + "<schedule></body></html>");
    EXPECT_TRUE(HoldsScheduleElement(dir.File("page.html")));
    WriteBytes(dir.File("page.html"), "<html><body>" + std::string(65536 - 16, 'x') + "<schedule></body></html>");
    EXPECT_TRUE(HoldsScheduleElement(dir.File("page.html")));
    WriteBytes(dir.File("page.html"), "<html><body>" + std::string(200000, 'x') + "</body></html>");
    EXPECT_FALSE(HoldsScheduleElement(dir.File("page.html")));
    EXPECT_THROW(HoldsScheduleElement(dir.File("missing.xml")), EFOpenError);
}

TEST(XmlFile, ReadFailureNamesTheLineAndBuildsNothing)
{
    TDocumentFixture f;
    std::string path = f.dir.File("bad.xml");
    WriteBytes(path, "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<schedule>\r\n<itemlist>\r\n<item>\r\n"
                     "</item>\r\n<item>\r\n<height>\r\n4x\r\n</height>\r\n</item>\r\n</itemlist>\r\n</schedule>\r\n");
    f.form->FreeDocument();
    f.form->NewDocument();
    try {
        ReadXmlFile(*f.form, path);
        FAIL() << "no error";
    } catch (const std::exception &e) {
        EXPECT_STREQ(e.what(), "8 行目の値 \"4x\" は整数ではありません。");
    }
    // The whole file is read before a row is built.
    EXPECT_TRUE(ItemList.empty());
    EXPECT_FALSE(f.form->FHasFile);
    EXPECT_THROW(ReadXmlFile(*f.form, f.dir.File("missing.xml")), std::exception);
}

TEST(XmlFile, LinesReadFromTheBytesAreTheLinesOfTheText)
{
    // Lines are cut from the bytes and decoded one by one: a damaged
    // character just before a tag or a line break reads as "?" for each byte,
    // as it would in the text decoded whole, and the tag after it stands.
    const std::string sjis = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<schedule>\r\n<itemlist>\r\n"
                             "< item >\r\n</item>\r\n<item>\r\n<text>" + Utf8ToCp932("工程") + "\x81</text>\r\n"
                             "<text>a\x81\r\nb</text>\r\n<height>30</height>\r\n</item>\r\n"
                             "<item>\r\n<height>\r\n" + Utf8ToCp932("１２") + "\r\n</height>\r\n</item>\r\n"
                             "</itemlist>\r\n</schedule>\r\n";
    TDocumentValues doc;
    try {
        ParseScheduleDocument(sjis, doc);
        FAIL() << "no error";
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "14 行目の値 \"１２\" は整数ではありません。");
    }
    // "< item >" counts for the progress (spaces taken out) but is no row.
    EXPECT_EQ(doc.ItemCount, 3);
    ASSERT_EQ(doc.Rows.size(), 2u);
    EXPECT_EQ(doc.Rows[0].Text, "工程?\r\na?\r\nb");
    EXPECT_EQ(doc.Rows[0].Height, 30);

    const std::string utf8 = OneRowDocument("<text>\xE3\x81</text><text>\xE3\x81\r\n\xE5\xB7\xA5</text><height>31</height>");
    TDocumentValues u;
    ParseScheduleDocument(utf8, u);
    ASSERT_EQ(u.Rows.size(), 1u);
    EXPECT_EQ(u.Rows[0].Text, "??\r\n??\r\n工");
    EXPECT_EQ(u.Rows[0].Height, 31);

    // Rows handed over as they are read are not kept; the migrations of an
    // old file are then the receiver's.
    TDocumentValues handed;
    std::vector<std::string> texts;
    handed.RowRead = [&](TRowValues &row) { texts.push_back(row.Text.value_or("")); };
    ParseScheduleDocument(OneRowDocument("<text>x</text><eventlist><event><line>1</line></event></eventlist>", ""),
                          handed);
    EXPECT_TRUE(handed.Rows.empty());
    EXPECT_EQ(texts, std::vector<std::string>{"x"});
    int line = 1;
    MigrateEventLine(0, line);
    EXPECT_EQ(line, 0);
    MigrateEventLine(118, line);
    EXPECT_EQ(line, 0);
}

TEST(XmlFile, RowsAreCountedForTheProgressWhereverTheirTagsFall)
{
    // Each "<item>" line counts, also with spaces in it and as the file's
    // last bytes, wherever it falls in the file; longer tags, a tag cut by a
    // line break and other tags starting with "i" do not.
    for (size_t pad = 0; pad < 140; ++pad) {
        const std::string text = "<schedule>\r\n" + std::string(pad, 'x') + "<itemlist>\r\n<i>< x>\r\n<item>\r\n"
                                 "<height>3</height>\r\n</item>\r\n< it em >\r\n<item\r\n>\r\n</itemlist>\r\n"
                                 "</schedule>\r\n<item>";
        TDocumentValues doc;
        ParseScheduleDocument(text, doc);
        EXPECT_EQ(doc.ItemCount, 3) << pad;
        ASSERT_EQ(doc.Rows.size(), 1u) << pad;
        EXPECT_EQ(doc.Rows[0].Height, 3) << pad;
    }
}

TEST(XmlFile, EachFontKeepsItsOwnName)
{
    // Fonts of one name follow each other in a document; a different name,
    // one written with an entity and one in code page 932 each read as written.
    const std::string chart = "<chart><font><name>%</name></font></chart>\r\n";
    std::string charts;
    for (const char *name : {"ＭＳ ゴシック", "ＭＳ ゴシック", "A&amp;B", "ＭＳ ゴシック", "  ", "A&amp;B"})
        charts += std::string(chart).replace(chart.find('%'), 1, name);
    TDocumentValues doc;
    ParseScheduleDocument(OneRowDocument("<font><name>ＭＳ ゴシック</name></font><chartlist>" + charts
                                         + "</chartlist><eventlist><event><font><name>x</name></font></event>"
                                           "</eventlist>"),
                          doc);
    ASSERT_EQ(doc.Rows.size(), 1u);
    EXPECT_EQ(doc.Rows[0].Font.Name, "ＭＳ ゴシック");
    std::vector<std::optional<std::string>> names;
    for (const TChartValues &c : doc.Rows[0].Charts)
        names.push_back(c.Font.Name);
    // A blank name is a name as written.
    const std::vector<std::optional<std::string>> expected = {"ＭＳ ゴシック", "ＭＳ ゴシック", "A&B", "ＭＳ ゴシック",
                                                              "  ", "A&B"};
    EXPECT_EQ(names, expected);
    ASSERT_EQ(doc.Rows[0].Events.size(), 1u);
    EXPECT_EQ(doc.Rows[0].Events[0].FontName, "x");

    const std::string sjis = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<schedule>\r\n<itemlist>\r\n<item>\r\n"
                             "<font><name>" + Utf8ToCp932("ＭＳ 明朝") + "</name></font>\r\n<chartlist><chart><font><name>"
                             + Utf8ToCp932("ＭＳ 明朝") + "</name></font></chart></chartlist>\r\n</item>\r\n"
                             "</itemlist>\r\n</schedule>\r\n";
    TDocumentValues s;
    ParseScheduleDocument(sjis, s);
    ASSERT_EQ(s.Rows.size(), 1u);
    EXPECT_EQ(s.Rows[0].Font.Name, "ＭＳ 明朝");
    ASSERT_EQ(s.Rows[0].Charts.size(), 1u);
    EXPECT_EQ(s.Rows[0].Charts[0].Font.Name, "ＭＳ 明朝");
}

TEST(XmlFile, AFailureFarIntoALargeFileNamesItsLine)
{
    // The reader gives back the bytes it has read as it goes: the line of a
    // bad value megabytes in is still counted from the start of the file.
    TDocumentFixture f;
    std::string text = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<schedule>\r\n<itemlist>\r\n";
    int line = 4;
    for (int r = 0; r < 40000; ++r) {
        text += r % 2 ? "<item>\r\n<height>30</height>\r\n</item>\r\n" : "<item>\n<height>\r30\r</height>\n</item>\r\n";
        line += r % 2 ? 3 : 5;
    }
    text += "<item>\r\n<height>\r\n" + Utf8ToCp932("３x") + "\r\n</height>\r\n</item>\r\n</itemlist>\r\n</schedule>\r\n";
    ASSERT_GT(text.size(), 1500000u);
    const std::string path = f.dir.File("large.xml");
    WriteBytes(path, text);
    f.form->FreeDocument();
    f.form->NewDocument();
    try {
        ReadXmlFile(*f.form, path);
        FAIL() << "no error";
    } catch (const std::exception &e) {
        EXPECT_EQ(std::string(e.what()), IntToStr(line + 2) + " 行目の値 \"３x\" は整数ではありません。");
    }
    EXPECT_TRUE(ItemList.empty());
    EXPECT_EQ(ReadBytes(path), text);
    TDocumentValues doc;
    EXPECT_THROW(ParseScheduleDocument(text, doc), EConvertError);
    ASSERT_EQ(doc.Rows.size(), 40001u);
    EXPECT_EQ(doc.Rows[39999].Height, 30);
}

TEST(XmlFile, CharactersShiftJisLacksAreOfferedUtf8)
{
    TDocumentFixture f;
    f.form->edtHdTitle->SetText("😀計画");
    // The rows are converted one by one: the count covers them all.
    for (const char *text : {"行😀", "🎉と😀"}) {
        f.form->AddItem();
        ItemList.back()->FMemo->SetText(text);
    }
    std::string path = f.dir.File("emoji.xml");
    f.services->answers = {IDCANCEL, IDNO, IDYES};
    EXPECT_FALSE(WriteXmlFile(*f.form, path));
    EXPECT_FALSE(FileExists(path));
    ASSERT_EQ(f.services->messages.size(), 1u);
    EXPECT_NE(f.services->messages[0].text.find("UTF-8"), std::string::npos);
    EXPECT_NE(f.services->messages[0].text.find("が 4 文字"), std::string::npos);
    EXPECT_TRUE(WriteXmlFile(*f.form, path));
    const std::string cp932 = ReadBytes(path);
    EXPECT_NE(cp932.find("<title>?\x8C\x76\x89\xE6</title>"), std::string::npos);
    EXPECT_NE(cp932.find("<text>\x8D\x73?</text>"), std::string::npos);
    EXPECT_NE(cp932.find("<text>?\x82\xC6?</text>"), std::string::npos);
    EXPECT_TRUE(WriteXmlFile(*f.form, path));
    std::string utf8 = ReadBytes(path);
    EXPECT_NE(utf8.find("encoding=\"UTF-8\""), std::string::npos);
    EXPECT_NE(utf8.find("<title>😀計画</title>"), std::string::npos);
    f.Open(path);
    EXPECT_EQ(f.form->edtHdTitle->Text(), "😀計画");
}

// "¥" and "‾" are written as "\" and "~", which is what comes back: they
// are counted with the characters Shift_JIS lacks. Characters written as the
// same character in its usual form ("〜" as "～") save without a question.
TEST(XmlFile, CharactersShiftJisChangesAreOfferedUtf8ButItsUsualFormsAreNot)
{
    TDocumentFixture f;
    f.form->AddItem();
    ItemList.back()->FMemo->SetText("〜−‖—¢£¬");
    const std::string path = f.dir.File("yen.xml");
    EXPECT_TRUE(WriteXmlFile(*f.form, path));
    EXPECT_TRUE(f.services->messages.empty());
    EXPECT_NE(ReadBytes(path).find("encoding=\"Shift_JIS\""), std::string::npos);
    f.Open(path);
    EXPECT_EQ(ItemList.at(0)->FMemo->Text(), "～－∥―￠￡￢");

    f.form->edtHdTitle->SetText("価格¥1,000");
    ItemList[0]->FMemo->SetText("‾線😀");
    f.services->answers = {IDNO, IDYES};
    EXPECT_TRUE(WriteXmlFile(*f.form, path));
    ASSERT_EQ(f.services->messages.size(), 1u);
    EXPECT_NE(f.services->messages[0].text.find("が 3 文字"), std::string::npos);
    EXPECT_NE(f.services->messages[0].text.find("別の文字"), std::string::npos);
    const std::string cp932 = ReadBytes(path);
    EXPECT_NE(cp932.find("<title>\x89\xBF\x8A\x69\\1,000</title>"), std::string::npos);
    EXPECT_NE(cp932.find("<text>~\x90\xFC?</text>"), std::string::npos);
    EXPECT_TRUE(WriteXmlFile(*f.form, path));
    ASSERT_EQ(f.services->messages.size(), 2u);
    // Without a character Shift_JIS lacks the count is of the changed ones.
    ItemList[0]->FMemo->SetText("線");
    EncodingStrSet = "Shift_JIS";
    f.services->answers = {IDCANCEL};
    EXPECT_FALSE(WriteXmlFile(*f.form, path));
    EXPECT_NE(f.services->messages.at(2).text.find("が 1 文字"), std::string::npos);
    f.Open(path);
    EXPECT_EQ(f.form->edtHdTitle->Text(), "価格¥1,000");
    EXPECT_EQ(ItemList.at(0)->FMemo->Text(), "‾線😀");
}

// The text goes to the file in pieces: the count of characters Shift_JIS
// lacks covers every piece, a change of mind leaves the old file and nothing
// beside it, and the UTF-8 text replaces the first attempt whole.
TEST(XmlFile, ALargeDocumentIsWrittenInPiecesAndAnswersStillDecide)
{
    TDocumentFixture f;
    for (int i = 0; i < 3000; ++i) {
        f.form->AddItem();
        ItemList.back()->FMemo->SetText("工程 " + std::to_string(i));
    }
    ItemList.front()->FMemo->SetText("先頭😀");
    ItemList.back()->FMemo->SetText("末尾😀");
    const std::string path = f.dir.File("large.xml");
    WriteBytes(path, "old");
    f.services->answers = {IDCANCEL, IDYES};
    EXPECT_FALSE(WriteXmlFile(*f.form, path));
    EXPECT_NE(f.services->messages.at(0).text.find("が 2 文字"), std::string::npos);
    EXPECT_EQ(ReadBytes(path), "old");
    for (const auto &entry : std::filesystem::directory_iterator(f.dir.Path()))
        EXPECT_EQ(entry.path().filename().string().rfind(".large.xml", 0), std::string::npos) << entry.path();
    EXPECT_TRUE(WriteXmlFile(*f.form, path));
    const std::string utf8 = ReadBytes(path);
    ASSERT_GT(utf8.size(), size_t{1} << 19);
    EXPECT_EQ(utf8.find("<?xml version=\"1.0\" encoding=\"UTF-8\""), 0u);
    EXPECT_EQ(utf8.find("<?xml version", 1), std::string::npos);
    EXPECT_EQ(utf8.substr(utf8.size() - 13), "</schedule>\r\n");
    f.Open(path);
    ASSERT_EQ(ItemList.size(), 3000u);
    EXPECT_EQ(ItemList.back()->FMemo->Text(), "末尾😀");
    EXPECT_EQ(ItemList[1500]->FMemo->Text(), "工程 1500");
}

TEST(XmlFile, FailedSaveLeavesTheOldFileAndShowsTheError)
{
    testing_support::AsOrdinaryUser([] {
        TDocumentFixture f;
        Modified = true;
        // No permission problem: the message says what went wrong, and where.
        const std::string missing = f.dir.Path() + "no/such/folder/doc.xml";
        EXPECT_FALSE(WriteXmlFile(*f.form, missing));
        ASSERT_EQ(f.services->messages.size(), 1u);
        EXPECT_EQ(f.services->messages[0].text, "保存できませんでした。\r\n" + missing + "\r\nCannot create file \""
                                                    + ExtractFilePath(missing) + "doc.xml\". No such file or directory");
        EXPECT_TRUE(Modified);
        EXPECT_FALSE(f.form->FHasFile);
        // A file without write permission is a permission problem, whoever runs the program.
        f.services->messages.clear();
        const std::string readOnly = f.dir.Path() + "read-only.xml";
        WriteBytes(readOnly, "old");
        chmod(readOnly.c_str(), 0444);
        EXPECT_FALSE(WriteXmlFile(*f.form, readOnly));
        ASSERT_EQ(f.services->messages.size(), 1u);
        EXPECT_EQ(f.services->messages[0].text, "このファイル、またはフォルダに書き込みできません。");
        EXPECT_EQ(ReadBytes(readOnly), "old");

        // A new file in a folder that takes none.
        f.services->messages.clear();
        std::string folder = f.dir.Path() + "locked/";
        ForceDirectories(folder);
        std::string path = folder + "doc.xml";
        chmod(folder.c_str(), 0500);
        Modified = true;
        bool saved = WriteXmlFile(*f.form, path);
        chmod(folder.c_str(), 0700);
        EXPECT_FALSE(saved);
        EXPECT_FALSE(FileExists(path));
        ASSERT_EQ(f.services->messages.size(), 1u);
        EXPECT_EQ(f.services->messages[0].text, "このファイル、またはフォルダに書き込みできません。");
        EXPECT_TRUE(Modified);
        EXPECT_FALSE(f.form->FHasFile);
    });
}

TEST(XmlFile, SavingKeepsAReadOnlyDocumentAndALink)
{
    TDocumentFixture f;
    f.form->AddItem();
    // A read-only document is refused and stays as it was, whoever saves.
    std::string locked = f.dir.File("locked.xml");
    WriteBytes(locked, "old");
    chmod(locked.c_str(), 0444);
    Modified = true;
    EXPECT_FALSE(WriteXmlFile(*f.form, locked));
    EXPECT_EQ(ReadBytes(locked), "old");
    ASSERT_EQ(f.services->messages.size(), 1u);
    EXPECT_EQ(f.services->messages[0].text, "このファイル、またはフォルダに書き込みできません。");
    EXPECT_TRUE(Modified);
    EXPECT_FALSE(f.form->FHasFile);
    struct stat st;
    ASSERT_EQ(stat(locked.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);

    // Saved through a link: the link stays and its target gets the document.
    ForceDirectories(f.dir.Path() + "real");
    ForceDirectories(f.dir.Path() + "links");
    std::string target = f.dir.Path() + "real/doc.xml";
    WriteBytes(target, "old");
    std::string link = f.dir.Path() + "links/doc.xml";
    ASSERT_EQ(symlink("../real/doc.xml", link.c_str()), 0);
    EXPECT_TRUE(WriteXmlFile(*f.form, link));
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_NE(ReadBytes(target).find("<item>"), std::string::npos);
    EXPECT_EQ(testing_support::ListFiles(f.dir.Path() + "links"), std::vector<std::string>{"doc.xml"});
    EXPECT_EQ(testing_support::ListFiles(f.dir.Path() + "real"), std::vector<std::string>{"doc.xml"});
}

// A document the person may write in a folder that takes no new files (a
// shared folder): 上書き保存 writes the file itself and leaves nothing beside
// it or in the cache; a write that fails says so and where the old contents
// are kept, and the document stays modified; a save refused because the old
// contents cannot be kept says so and names the folder.
TEST(XmlFile, ADocumentInAFolderThatTakesNoNewFilesIsSavedInPlace)
{
    testing_support::AsOrdinaryUser([] {
        TDocumentFixture f;
        f.services->env["XDG_CACHE_HOME"] = f.dir.Path() + "cache";
        const std::string folder = f.dir.Path() + "shared/", cache = f.dir.Path() + "cache/tarvold/";
        const std::string path = folder + "plan.xml";
        ForceDirectories(folder);
        f.form->AddItem();
        ASSERT_TRUE(WriteXmlFile(*f.form, path));
        chmod(path.c_str(), 0666);
        chmod(folder.c_str(), 0555);
        f.form->fnk1Select(path);
        ASSERT_EQ(ItemList.size(), 1u);
        f.form->AddItem();
        ItemList.back()->FMemo->SetText("追加の行");
        EXPECT_TRUE(f.form->mitSaveClick());
        EXPECT_FALSE(Modified);
        // The next save finds the file as this one left it: nothing to ask.
        f.form->AddItem();
        EXPECT_TRUE(f.form->mitSaveClick());
        EXPECT_TRUE(f.services->messages.empty());
        EXPECT_EQ(testing_support::ListFiles(folder), std::vector<std::string>{"plan.xml"});
        EXPECT_TRUE(testing_support::ListFiles(cache).empty());
        f.Open(path);
        ASSERT_EQ(ItemList.size(), 3u);
        EXPECT_EQ(ItemList[1]->FMemo->Text(), "追加の行");

        // The new text is too large for the file: the old bytes stay.
        const std::string old = ReadBytes(path);
        for (int i = 0; i < 8; ++i)
            f.form->AddItem();
        bool saved = true;
        {
            testing_support::TFileSizeLimit limit(old.size() + 16);
            saved = f.form->mitSaveClick();
        }
        EXPECT_FALSE(saved);
        EXPECT_TRUE(Modified);
        EXPECT_EQ(ReadBytes(path), old);
        const std::vector<std::string> kept = testing_support::ListFiles(cache);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(ReadBytes(cache + kept[0]), old);
        ASSERT_EQ(f.services->messages.size(), 1u);
        EXPECT_EQ(f.services->messages[0].text,
                  "保存できませんでした。\r\n" + path + "\r\nCannot write file \"" + path
                      + "\". File too large\r\n保存前の内容は次のファイルに残してあります。\r\n" + cache + kept[0]);
        // The old bytes put back are no change by another program: the next
        // save asks nothing.
        f.services->messages.clear();
        EXPECT_TRUE(f.form->mitSaveClick());
        EXPECT_TRUE(f.services->messages.empty());
        f.Open(path);
        EXPECT_EQ(ItemList.size(), 11u);

        // No cache folder can be made (a file stands in its way).
        const std::string blocked = f.dir.Path() + "blocked";
        WriteBytes(blocked, "");
        f.services->env["XDG_CACHE_HOME"] = blocked;
        const std::string unchanged = ReadBytes(path);
        f.form->AddItem();
        EXPECT_FALSE(f.form->mitSaveClick());
        ASSERT_EQ(f.services->messages.size(), 1u);
        EXPECT_TRUE(f.services->messages[0].text.starts_with(
            "保存できませんでした。\r\n" + path + "\r\n保存前の内容を次のフォルダに残せませんでした。\r\n" + blocked
            + "/tarvold/\r\n"))
            << f.services->messages[0].text;
        EXPECT_TRUE(Modified);
        EXPECT_EQ(ReadBytes(path), unchanged);
        chmod(folder.c_str(), 0755);
        f.Open(path);
        EXPECT_EQ(ItemList.size(), 11u);
    });
}

// A colleague's document in a shared folder with the sticky bit (mode 1777),
// which keeps anyone else from replacing it though they may write it: 上書き
// 保存 writes it in place, and it stays the colleague's file.
TEST(XmlFile, AColleaguesDocumentInAStickyFolderIsSavedInPlace)
{
    if (!testing_support::RunningAsRoot())
        GTEST_SKIP() << "making a colleague's file needs root";
    TDocumentFixture f;
    ASSERT_EQ(chmod(f.dir.Path().c_str(), 0755), 0);
    const std::string folder = f.dir.Path() + "team/", cache = f.dir.Path() + "cache/";
    const std::string path = folder + "plan.xml";
    ForceDirectories(folder);
    ForceDirectories(cache);
    testing_support::GiveToOrdinaryUser(cache);
    testing_support::GiveToOrdinaryUser(f.dir.Path() + "appdata");
    ASSERT_EQ(chmod(folder.c_str(), 01777), 0);
    f.services->env["XDG_CACHE_HOME"] = cache;
    f.form->AddItem();
    ASSERT_TRUE(WriteXmlFile(*f.form, path));
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    testing_support::AsOrdinaryUser([&] {
        f.form->fnk1Select(path);
        f.form->AddItem();
        ItemList.back()->FMemo->SetText("同僚の表に追加");
        EXPECT_TRUE(f.form->mitSaveClick());
        EXPECT_FALSE(Modified);
        EXPECT_TRUE(f.services->messages.empty());
        EXPECT_EQ(testing_support::ListFiles(folder), std::vector<std::string>{"plan.xml"});
        EXPECT_TRUE(testing_support::ListFiles(cache + "tarvold").empty());
    });
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    f.Open(path);
    ASSERT_EQ(ItemList.size(), 2u);
    EXPECT_EQ(ItemList[1]->FMemo->Text(), "同僚の表に追加");
}

TEST(XmlFile, BlankLinesBetweenElementsAreDropped)
{
    TDocumentValues doc;
    ParseScheduleDocument("<schedule>\r\n\r\n   \r\n<title>\r\n  a  \r\n</title>\r\n<itemlist>\r\n  <item>\r\n"
                          "  <text>x\r\n\r\ny</text>  \r\n  <height>\r\n 40\r\n</height>\r\n</item>\r\n</itemlist>",
                          doc);
    EXPECT_EQ(doc.Title.value(), "  a  ");
    ASSERT_EQ(doc.Rows.size(), 1u);
    EXPECT_EQ(doc.Rows[0].Text.value(), "x\r\n\r\ny");
    EXPECT_EQ(doc.Rows[0].Height.value(), 40);
    EXPECT_EQ(doc.ItemCount, 1);
    EXPECT_TRUE(doc.Complete);
}

TEST(XmlFile, SampleDocumentOpensAsWritten)
{
    TDocumentFixture f;
    CustomTimeScale = 20;
    f.Open(std::string(TARVOLD_TEST_DATA) + "/schedule-current.xml");
    EXPECT_EQ(f.form->edtHdTitle->Text(), "T&");
    EXPECT_EQ(DaysShown, 20);
    EXPECT_EQ(Groups[2].Name, "g");
    const TItem &row = *ItemList.at(0);
    EXPECT_EQ(row.FLineCount, 2);
    EXPECT_EQ(row.FMemo->Height(), 40);
    const TChart &bar = *row.FCharts.at(0);
    EXPECT_EQ(FormatDocumentDate(bar.FStartDate, true), "2024/01/08 16:00:00");
    EXPECT_EQ(FormatDocumentDate(bar.FEndDate, true), "2024/01/10 08:00:00");
    EXPECT_EQ(bar.FJissekibi, EncodeDate(1936, 4, 1));
    EXPECT_EQ(row.FEvents.at(0).Line, 1);
}
