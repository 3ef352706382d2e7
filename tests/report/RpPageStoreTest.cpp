#include "report/RpPageStore.h"

#include "platform/services/DesktopServices.h"
#include "platform/core/SysUtils.h"
#include "report/RpCompress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace {

constexpr double kWhen = 46000.5;

class FixedClock : public TDesktopServices {
public:
    double Now() override { return kWhen; }
};

std::int32_t I32(const std::string &b, size_t at)
{
    std::int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void PutI32(std::string &b, size_t at, std::int32_t v)
{
    std::memcpy(b.data() + at, &v, 4);
}

// A page whose width tells which page it is.
TMetafile Page(int number)
{
    TMetafile mf;
    mf.SetWidth(100 + number);
    mf.SetHeight(150);
    TMetafileCanvas canvas(mf);
    canvas.Brush().SetColor(clRed);
    canvas.Rectangle(10, 10, 60 + number, 80);
    canvas.Font().SetSize(10);
    canvas.TextOut(10, 100, "頁 " + std::to_string(number));
    canvas.Finish();
    return mf;
}

TRpPageList &Fill(TRpPageList &list, int pages, bool compressed, std::int64_t limit = kRpDefaultMemoryLimit)
{
    list.Stream = TRpStream::CreateInMemory(limit);
    list.Compression = compressed;
    for (int i = 1; i <= pages; ++i)
        list.AddPage(Page(i));
    list.Finish();
    return list;
}

std::string StreamBytes(TRpPageList &list)
{
    TMemoryStream copy;
    list.Stream->CopyTo(copy);
    return copy.Bytes();
}

std::string TempName(const std::string &stem)
{
    return GetTempPath() + "tarvold-" + stem + "-" + std::to_string(::getpid()) + ".RPF";
}

// Builds a plain report file by hand with a header of the given size.
std::string HandMadeFile(int headerSize, const std::vector<TMetafile> &pages)
{
    std::string file(static_cast<size_t>(headerSize), '\0');
    std::int16_t format = 3;
    std::memcpy(file.data(), &format, 2);
    PutI32(file, 8, static_cast<std::int32_t>(pages.size()));
    for (size_t i = 0; i < pages.size(); ++i) {
        auto start = static_cast<std::int32_t>(file.size());
        const std::string &emf = pages[i].Data();
        std::string record(8, '\0');
        PutI32(record, 0, static_cast<std::int32_t>(i + 1));
        PutI32(record, 4, static_cast<std::int32_t>(start + 12 + emf.size()));
        record += emf;
        record.append(4, '\0');
        PutI32(record, record.size() - 4, start);
        file += record;
    }
    return file;
}

} // namespace

TEST(RpPageStore, OnePagePlainFileBytes)
{
    TScopedServices clock(std::make_unique<FixedClock>());
    TRpPageList list;
    Fill(list, 1, false);
    std::string file = StreamBytes(list);
    TMetafile page = Page(1);

    ASSERT_EQ(file.size(), 128 + 12 + page.Data().size());
    std::int16_t format, second;
    std::memcpy(&format, file.data(), 2);
    std::memcpy(&second, file.data() + 2, 2);
    EXPECT_EQ(format, 3);
    EXPECT_EQ(second, 40);
    EXPECT_EQ(I32(file, 8), 1);
    double when;
    std::memcpy(&when, file.data() + 16, 8);
    EXPECT_EQ(when, kWhen);
    EXPECT_EQ(file[25], 0);
    // The record: page 1, the next-record offset is the file's size, then the EMF.
    EXPECT_EQ(I32(file, 128), 1);
    EXPECT_EQ(I32(file, 132), static_cast<std::int32_t>(file.size()));
    EXPECT_EQ(file.substr(176, 8), std::string(" EMF\0\0\1\0", 8));
    EXPECT_EQ(file.substr(136, page.Data().size()), page.Data());
    EXPECT_EQ(I32(file, file.size() - 4), 128);
}

TEST(RpPageStore, OnePageCompressedFileBytes)
{
    TRpPageList list;
    Fill(list, 1, true);
    std::string file = StreamBytes(list);
    std::string emf = Page(1).Data();
    EXPECT_EQ(file[25], 1);
    EXPECT_EQ(I32(file, 128), 1);
    EXPECT_EQ(I32(file, 132), static_cast<std::int32_t>(file.size()));
    EXPECT_EQ(I32(file, 136), static_cast<std::int32_t>(emf.size()));
    EXPECT_EQ(I32(file, file.size() - 4), 128);
    // The coded bytes between the length and the back link are exactly the
    // coder's output for the page.
    TMemoryStream coded;
    {
        TRpCompress coder(coded, true);
        coder.Encode(emf.data(), emf.size());
    }
    EXPECT_EQ(file.substr(140, file.size() - 144), coded.Bytes());
    EXPECT_LT(coded.Bytes().size(), emf.size());
}

TEST(RpPageStore, PagesFetchedInAnyOrder)
{
    for (bool compressed : {false, true}) {
        TRpPageList list;
        Fill(list, 3, compressed);
        for (int n : {3, 1, 2, 3, 2}) {
            auto page = list.GetPage(n);
            ASSERT_TRUE(page) << n;
            EXPECT_EQ(page->Width(), 100 + n);
            EXPECT_EQ(page->Data(), Page(n).Data());
        }
        EXPECT_FALSE(list.GetPage(4));
        EXPECT_FALSE(list.GetPage(0));
        // From the stream's end the walk starts at the trailing offset.
        list.Stream->Seek(0, TSeekOrigin::soEnd);
        EXPECT_EQ(list.GetPage(1)->Width(), 101);
        list.Stream->Seek(0, TSeekOrigin::soEnd);
        EXPECT_EQ(list.GetPage(2)->Width(), 102);

        // Saved and opened again, the same pages come back.
        std::string name = TempName(compressed ? "coded" : "plain");
        list.CopyToFile(name);
        TRpPageList loaded;
        loaded.OpenFile(name);
        EXPECT_EQ(loaded.PageCount, 3);
        EXPECT_EQ(loaded.Compression, compressed);
        EXPECT_EQ(loaded.Stream->HeaderSize(), 128);
        for (int n : {3, 1, 2, 3, 2})
            EXPECT_EQ(loaded.GetPage(n)->Width(), 100 + n);
        loaded.Stream.reset();
        EXPECT_TRUE(FileExists(name));  // a saved file is never deleted by its stream
        DeleteFile(name);
    }
}

TEST(RpPageStore, OlderHeadersAreRead)
{
    std::vector<TMetafile> pages{Page(1), Page(2)};
    for (int headerSize : {124, 96}) {
        std::string file = HandMadeFile(headerSize, pages);
        EXPECT_EQ(file.substr(static_cast<size_t>(headerSize) + 49, 3), "EMF");
        std::string name = TempName("old" + std::to_string(headerSize));
        WriteFileAtomically(name, file);
        TRpPageList list;
        list.OpenFile(name);
        EXPECT_EQ(list.Stream->HeaderSize(), headerSize);
        EXPECT_EQ(list.PageCount, 2);
        EXPECT_FALSE(list.Compression);
        EXPECT_EQ(list.GetPage(2)->Width(), 102);
        EXPECT_EQ(list.GetPage(1)->Width(), 101);
        list.Stream.reset();
        DeleteFile(name);
    }
    // The 124-byte layout packs the fields after the page count.
    unsigned char header[128] = {};
    header[8] = 7;
    double when = 1.25;
    std::memcpy(header + 12, &when, 8);
    header[21] = 1;
    TRpStream::ConvertOldHeader(header);
    EXPECT_EQ(header[8], 7);
    double converted;
    std::memcpy(&converted, header + 16, 8);
    EXPECT_EQ(converted, 1.25);
    EXPECT_EQ(header[25], 1);
}

TEST(RpPageStore, SpillsToATemporaryFileWhoseNameIsGoneWhileItIsUsed)
{
    // The spilled pages live in an open file without a name, so a program
    // killed while it holds them leaves no file in the temporary folder.
    TRpPageList list;
    Fill(list, 1, false, 300);
    ASSERT_FALSE(list.Stream->InMemory());
    std::string temp = list.Stream->TempFileName();
    EXPECT_EQ(ExtractFileName(temp).substr(0, 3), "RPF");
    EXPECT_EQ(ExtractFilePath(temp), GetTempPath());
    EXPECT_FALSE(FileExists(temp));
    list.AddPage(Page(2));
    list.Finish();
    EXPECT_EQ(list.GetPage(2)->Width(), 102);
    EXPECT_EQ(list.GetPage(1)->Width(), 101);

    // Under the limit the stream stays in memory.
    TRpPageList small;
    Fill(small, 1, true, 1000000);
    EXPECT_TRUE(small.Stream->InMemory());
    EXPECT_TRUE(small.Stream->TempFileName().empty());
}

TEST(RpPageStore, SavingOverTheOpenFileKeepsIt)
{
    std::string name = TempName("self");
    {
        TRpPageList list;
        Fill(list, 3, true);
        list.CopyToFile(name);
    }
    std::string before = ReadFileBytes(name);
    TRpPageList loaded;
    loaded.OpenFile(name);
    loaded.CopyToFile(name);
    EXPECT_EQ(ReadFileBytes(name), before);
    EXPECT_EQ(loaded.GetPage(3)->Width(), 103);
    TRpPageList again;
    again.OpenFile(name);
    EXPECT_EQ(again.GetPage(2)->Width(), 102);
    DeleteFile(name);
}

TEST(RpPageStore, DamagedFilesAreReportedNotFollowed)
{
    TRpPageList good;
    Fill(good, 3, false);
    const std::string plain = StreamBytes(good);
    TRpPageList goodCoded;
    Fill(goodCoded, 3, true);
    const std::string coded = StreamBytes(goodCoded);
    std::string name = TempName("damaged");

    auto open = [&](const std::string &bytes) {
        WriteFileAtomically(name, bytes);
        auto list = std::make_unique<TRpPageList>();
        list->OpenFile(name);
        return list;
    };
    // Fetches the pages in order; the last must fail.
    auto expectDamaged = [&](const std::string &bytes, std::vector<int> pages, const char *what) {
        auto started = std::chrono::steady_clock::now();
        try {
            auto list = open(bytes);
            list->Stream->Seek(0, TSeekOrigin::soEnd);
            for (size_t i = 0; i + 1 < pages.size(); ++i)
                list->GetPage(pages[i]);
            list->GetPage(pages.back());
            ADD_FAILURE() << what << ": no error";
        } catch (const EStreamError &e) {
            EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos) << what << ": " << e.what();
        } catch (const EInvalidGraphic &) {
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << what;
    };

    std::string negative = plain;
    PutI32(negative, 8, -1);
    expectDamaged(negative, {1}, "negative page count");
    std::string flag = plain;
    flag[25] = 2;
    expectDamaged(flag, {1}, "compression flag 2");
    std::string tooMany = plain;
    PutI32(tooMany, 8, 100000);
    expectDamaged(tooMany, {1}, "more pages than the file can hold");

    // The second record links to itself: the walk must not circle.
    std::int32_t second = I32(plain, 132);
    std::string selfLink = plain;
    PutI32(selfLink, static_cast<size_t>(second) + 4, second);
    expectDamaged(selfLink, {1, 3}, "record linking to itself");
    // A back link that points forward.
    std::string backwards = plain;
    PutI32(backwards, plain.size() - 4, static_cast<std::int32_t>(plain.size()));
    expectDamaged(backwards, {2}, "trailing offset past the end");
    std::string wrongNumber = plain;
    PutI32(wrongNumber, static_cast<size_t>(second), 9);
    expectDamaged(wrongNumber, {2}, "record with another page number");

    // A plain length beyond what the coded bytes can give, and a huge EMF length.
    std::string hugeLength = coded;
    PutI32(hugeLength, 136, 0x7FFFFFF0);
    expectDamaged(hugeLength, {1}, "huge plain length");
    std::string hugeEmf = plain;
    PutI32(hugeEmf, 136 + 48, 0x7FFFFFF0);
    expectDamaged(hugeEmf, {1}, "huge EMF length");
    expectDamaged(plain.substr(0, plain.size() - 10), {3}, "cut short");
    expectDamaged(std::string(), {1}, "empty file");

    // A damaged page does not spoil the next fetch of a sound one.
    std::string lastBad = plain;
    PutI32(lastBad, static_cast<size_t>(I32(plain, plain.size() - 4)) + 8 + 48, 0x7FFFFFF0);
    auto list = open(lastBad);
    EXPECT_ANY_THROW(list->GetPage(3));
    EXPECT_EQ(list->GetPage(1)->Width(), 101);
    list.reset();
    DeleteFile(name);
}

TEST(RpPageStore, HeaderCountFollowsFinish)
{
    // The header is written with the first page; Finish writes the true count,
    // which a run cut short needs too.
    TRpPageList list;
    list.Stream = TRpStream::CreateInMemory();
    list.AddPage(Page(1));
    list.AddPage(Page(2));
    EXPECT_EQ(I32(StreamBytes(list), 8), 1);
    list.Finish();
    EXPECT_EQ(I32(StreamBytes(list), 8), 2);
    EXPECT_EQ(list.GetPage(2)->Width(), 102);
    list.Clear();
    EXPECT_EQ(list.PageCount, 0);
    EXPECT_FALSE(list.GetPage(1));
}

TEST(RpPageStore, FilterTextAndOutline)
{
    TRpExportFilterLibrary library;
    EXPECT_EQ(library.SaveDialogFilter(), "Report file(*.RPF)|*.RPF");
    library.Register("PDF document", "PDF");
    EXPECT_EQ(library.SaveDialogFilter(), "Report file(*.RPF)|*.RPF|PDF document (*.PDF)|*.PDF");
    EXPECT_EQ(ExportFilterLibrary().SaveDialogFilter(), "Report file(*.RPF)|*.RPF");

    TRpOutline outline;
    outline.Entries.push_back({"一", 0, {1, 2, 3, 4}, 2, 7});
    outline.Entries.push_back({"二", 1, {5, 6, 7, 8}, 3, 7});
    TRect rect;
    int page = -1;
    outline.FindNode(7, rect, page);
    EXPECT_EQ(rect, Rect(1, 2, 3, 4));
    EXPECT_EQ(page, 2);
    outline.FindNode(8, rect, page);
    EXPECT_TRUE(rect.IsEmpty());
    EXPECT_EQ(page, 0);
    std::vector<TRpOutlineNode> nodes{{"old", 0, 0}};
    outline.FillNodes(nodes);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[1].Caption, "二");
    EXPECT_EQ(nodes[1].Level, 1);
}
