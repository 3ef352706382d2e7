#include "MainFixture.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/kernel/Application.h"
#include "platform/services/InputSimulation.h"
#include "schedule/Main.h"
#include "schedule/MainDocument.h"
#include "tests/TestSupport.h"
#include "tests/schedule/DocumentWindow.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

using testing_support::FakeServices;
using testing_support::ReadBytes;
using testing_support::TempDir;

namespace {

struct TCommandFixture : TDocumentWindow {
    // A saved document with `rows` rows at `name`.
    std::string SavedDocument(const std::string &name, int rows)
    {
        form->FreeDocument();
        form->NewDocument();
        for (int r = 0; r < rows; ++r)
            form->AddItem();
        std::string path = dir.File(name);
        EXPECT_TRUE(WriteXmlFile(*form, path));
        return path;
    }
};

} // namespace

TEST(FileCommands, SaveOfANewDocumentAsksForANameInTheSettingsFolder)
{
    TCommandFixture f;
    EXPECT_EQ(f.form->FFileName, SettingsDir + "Schedule1.xml");
    f.form->AddItem();
    std::string chosen = f.dir.File("plan.xml");
    f.services->fileAnswers.push_back(TFileDialogAnswer{chosen, 1});
    EXPECT_TRUE(f.form->mitSaveClick());
    ASSERT_EQ(f.services->fileRequests.size(), 1u);
    const TFileDialogRequest &request = f.services->fileRequests[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.filter, "XML|*.xml");
    EXPECT_EQ(request.fileName, "Schedule1.xml");
    EXPECT_EQ(request.initialDir, SettingsDir);
    EXPECT_EQ(f.form->FFileName, chosen);
    EXPECT_EQ(f.form->Caption(), chosen);
    EXPECT_TRUE(FileExists(chosen));
    // From now on 上書き保存 writes without a dialog.
    f.form->AddItem();
    EXPECT_TRUE(f.form->mitSaveClick());
    EXPECT_EQ(f.services->fileRequests.size(), 1u);
    EXPECT_NE(ReadBytes(chosen).find("</item>\r\n<item>"), std::string::npos);
}

TEST(FileCommands, ACancelledSaveInThePromptKeepsTheDocument)
{
    TCommandFixture f;
    f.form->AddItem();
    ASSERT_TRUE(Modified);
    // Yes, then the save-as dialog is cancelled: nothing is thrown away.
    f.services->answers = {IDYES};
    f.form->mitNewClick();
    EXPECT_EQ(ItemList.size(), 1u);
    f.services->answers = {IDYES};
    f.form->fnk1Select(f.dir.File("other.xml"));
    EXPECT_EQ(ItemList.size(), 1u);
    // Nor does closing.
    f.services->answers = {IDYES};
    bool canClose = true;
    f.form->FormCloseQuery(f.form.get(), canClose);
    EXPECT_FALSE(canClose);
    // No discards the changes.
    f.services->answers = {IDNO};
    f.form->mitNewClick();
    EXPECT_TRUE(ItemList.empty());
    EXPECT_FALSE(Modified);
}

namespace {

size_t Rows(const std::string &document)
{
    size_t rows = 0;
    for (size_t at = document.find("<item>"); at != std::string::npos; at = document.find("<item>", at + 1))
        ++rows;
    return rows;
}

} // namespace

// The save prompt before 新規作成, 開く and 開き直す, answered on screen:
// Escape leaves the question up and the window manager's close request calls
// the command off, so the changed document stays; はい then saves it before
// the command goes on.
TEST(FileCommands, EscapeAndTheCloseRequestOnTheSavePromptKeepTheChanges)
{
    TStartup startup;
    startup.services->realBoxes = true;
    TfrmMain form(nullptr, "", false);
    form.SetBounds(0, 0, 900, 600);
    const std::string plan = startup.root + "run/plan.xml", other = startup.root + "run/other.xml";
    form.AddItem();
    ASSERT_TRUE(WriteXmlFile(form, other));
    // The recent files' menu lists the last saved first.
    auto reopenOther = [&] {
        for (int i = 0; i < form.mitReOpen->Count(); ++i)
            if (form.mitReOpen->Items(i)->Caption().find("other.xml") != std::string::npos)
                return form.mitReOpen->Items(i)->Click();
        ADD_FAILURE() << "other.xml is not among the recent files";
    };

    struct Command { const char *name; std::function<void()> run; size_t rowsAfter; };
    const Command commands[] = {
        {"新規作成", [] { SimulateKey('N', ssCtrl); }, 0},
        {"開く", [] { SimulateKey('O', ssCtrl); }, 2},  // its file dialog is cancelled
        {"開き直す", reopenOther, 1},
    };
    for (const Command &command : commands) {
        form.FreeDocument();
        form.NewDocument();
        form.FFileName = plan;
        form.FHasFile = true;
        form.AddItem();
        form.AddItem();
        ASSERT_TRUE(Modified);
        ASSERT_TRUE(SimulateActivation(form));
        // Escape leaves the question up; the close request takes it down and
        // calls the command off.
        bool upAfterEscape = false, goneAfterClose = false;
        SimulateNextMessageBoxInput([&] {
            SimulateKey(VK_ESCAPE);
            upAfterEscape = MessageBoxShown();
            SimulateCloseRequest();
            goneAfterClose = !MessageBoxShown();
        });
        const size_t asked = startup.services->messages.size();
        command.run();
        ASSERT_EQ(startup.services->messages.size(), asked + 1) << command.name;
        EXPECT_EQ(startup.services->messages.back(), "データが変更されています。保存しますか？");
        EXPECT_TRUE(upAfterEscape) << command.name;
        EXPECT_TRUE(goneAfterClose) << command.name;
        EXPECT_EQ(ItemList.size(), 2u) << command.name;
        EXPECT_TRUE(Modified) << command.name;
        EXPECT_FALSE(FileExists(plan)) << command.name;

        // Asked again, はい saves the rows before the command goes on.
        ASSERT_TRUE(SimulateActivation(form));
        SimulateNextMessageBoxInput([] { SimulateMessageBoxClick("はい"); });
        command.run();
        EXPECT_EQ(Rows(ReadBytes(plan)), 2u) << command.name;
        EXPECT_EQ(ItemList.size(), command.rowsAfter) << command.name;
        EXPECT_FALSE(Modified) << command.name;
        DeleteFile(plan);
    }
    form.Hide();
}

// A box that gave neither はい nor いいえ (one that could not be shown, or went
// with its owner) stops the command: nothing is saved and nothing thrown away.
TEST(FileCommands, ASavePromptAnsweredNeitherYesNorNoStopsTheCommand)
{
    TCommandFixture f;
    std::string other = f.SavedDocument("other.xml", 1);
    f.form->AddItem();
    f.form->AddItem();
    for (int answer : {IDCANCEL, IDOK}) {
        f.services->answers = {answer};
        f.form->mitNewClick();
        f.services->answers = {answer};
        f.services->fileAnswers.push_back(TFileDialogAnswer{other, 1});
        f.form->mitOpenClick();
        f.services->answers = {answer};
        f.form->fnk1Select(other);
        EXPECT_EQ(ItemList.size(), 3u) << answer;
        EXPECT_TRUE(Modified) << answer;
    }
    EXPECT_EQ(f.services->fileRequests.size(), 0u);
    EXPECT_EQ(f.services->messages.size(), 6u);
}

TEST(FileCommands, OpenChecksTheExtensionAndReadsTheChosenFile)
{
    TCommandFixture f;
    std::string path = f.SavedDocument("three.xml", 3);
    std::string other = f.SavedDocument("notes.txt", 2);
    f.form->mitNewClick();
    f.form->AddItem();
    // A wrong type: the prompt's Yes saved, the document stays as it was.
    f.services->answers = {IDYES};
    f.services->fileAnswers.push_back(TFileDialogAnswer{f.dir.File("save.xml"), 1});
    f.services->fileAnswers.push_back(TFileDialogAnswer{other, 1});
    f.form->mitOpenClick();
    EXPECT_EQ(f.services->messages.back().text, "ファイルの種類が違います");
    EXPECT_EQ(ItemList.size(), 1u);
    EXPECT_TRUE(FileExists(f.dir.File("save.xml")));
    EXPECT_EQ(f.services->fileRequests.back().filter, "xml|*.xml");

    f.services->osName = "Seven";
    f.services->fileAnswers.push_back(TFileDialogAnswer{path, 1});
    f.form->mitOpenClick();
    EXPECT_EQ(f.services->fileRequests.back().filter, "xml file|*.xml");
    EXPECT_EQ(ItemList.size(), 3u);
    EXPECT_EQ(f.form->FFileName, path);
    EXPECT_TRUE(f.form->FHasFile);
}

TEST(FileCommands, RecentFileOpensOrSaysItIsMissing)
{
    TCommandFixture f;
    std::string path = f.SavedDocument("recent.xml", 2);
    std::string gone = f.SavedDocument("gone.xml", 1);
    DeleteFile(gone);
    f.form->mitNewClick();
    f.form->fnk1Select(gone);
    EXPECT_EQ(f.services->messages.back().text, "ファイルが見つかりません");
    EXPECT_EQ(f.form->fnk1->Entry(0), gone);
    SetCurrentDir("/");
    f.form->fnk1Select(path);
    EXPECT_EQ(ItemList.size(), 2u);
    EXPECT_EQ(GetCurrentDir() + "/", f.dir.Path());
    EXPECT_EQ(f.form->fnk1->Entry(0), path);
}

TEST(FileCommands, StartUpOpensTheDocumentNamedOnTheCommandLine)
{
    std::string path;
    {
        TCommandFixture f;
        path = f.SavedDocument("start.xml", 4);
        f.form.reset();
        f.form = std::make_unique<TfrmMain>(nullptr, path, false);
        EXPECT_EQ(ItemList.size(), 4u);
        EXPECT_TRUE(f.form->FHasFile);
        EXPECT_EQ(f.form->Caption(), path);
    }
}

TEST(FileCommands, AFileThatIsNoScheduleIsRefusedAndTheDocumentStays)
{
    TCommandFixture f;
    const std::string mine = f.SavedDocument("mine.xml", 2);
    f.form->AddItem();
    ASSERT_TRUE(Modified);
    const std::string name = f.form->FFileName;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"random.xml", std::string("\x8F\x00\xFF\x3C\x12\x80\x41\x0D\x0A\xFE", 10)},
        {"page.xml", "<!DOCTYPE html>\r\n<html><body><p>x</p></body></html>\r\n"},
        {"other.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<itemlist><item></item></itemlist>\r\n"},
        {"wide.xml", std::string("\xFF\xFE<\0s\0c\0h\0e\0d\0u\0l\0e\0>\0", 22)},
    };
    for (const auto &[file, bytes] : files) {
        const std::string path = f.dir.File(file);
        testing_support::WriteBytes(path, bytes);
        f.services->messages.clear();
        // 開く: the prompt's No, then the file.
        f.services->answers = {IDNO};
        f.services->fileAnswers.push_back(TFileDialogAnswer{path, 1});
        f.form->mitOpenClick();
        ASSERT_EQ(f.services->messages.size(), 2u) << file;
        EXPECT_NE(f.services->messages[1].text.find(path), std::string::npos);
        EXPECT_NE(f.services->messages[1].text.find("<schedule>"), std::string::npos);
        // From the recent-file list likewise.
        f.services->answers = {IDNO};
        f.form->fnk1Select(path);
        EXPECT_EQ(f.services->messages.size(), 4u);
        EXPECT_EQ(f.services->messages[3].text, f.services->messages[1].text);
        // The document and its name stay, still modified; the file is untouched and not remembered.
        EXPECT_EQ(ItemList.size(), 3u);
        EXPECT_EQ(f.form->FFileName, name);
        EXPECT_EQ(f.form->Caption(), name);
        EXPECT_TRUE(Modified);
        EXPECT_EQ(ReadBytes(path), bytes);
        EXPECT_EQ(f.form->fnk1->Entry(0), mine);
    }
}

TEST(FileCommands, StartUpWithAFileThatIsNoScheduleKeepsANewDocumentUnderANewName)
{
    TCommandFixture f;
    const std::string path = f.dir.File("index.html");
    testing_support::WriteBytes(path, "<html><body>x</body></html>");
    f.form.reset();
    f.services->messages.clear();
    f.form = std::make_unique<TfrmMain>(nullptr, path, false);
    ASSERT_EQ(f.services->messages.size(), 1u);
    EXPECT_NE(f.services->messages[0].text.find(path), std::string::npos);
    EXPECT_TRUE(ItemList.empty());
    EXPECT_FALSE(f.form->FHasFile);
    EXPECT_EQ(f.form->FFileName, SettingsDir + "Schedule1.xml");
    EXPECT_EQ(f.form->Caption(), SettingsDir + "Schedule1.xml");
    // A save asks for a name, and the file stays as it was.
    f.form->AddItem();
    f.services->fileAnswers.clear();
    EXPECT_FALSE(f.form->mitSaveClick());
    EXPECT_EQ(f.services->fileRequests.back().fileName, "Schedule1.xml");
    EXPECT_EQ(ReadBytes(path), "<html><body>x</body></html>");
}

namespace {

// Damages a saved schedule (its first row height becomes no number); the file's new bytes.
std::string DamageFile(const std::string &path)
{
    std::string bytes = ReadBytes(path);
    const size_t at = bytes.find("<height>");
    EXPECT_NE(at, std::string::npos);
    bytes.insert(at + 8, "x");
    testing_support::WriteBytes(path, bytes);
    return bytes;
}

} // namespace

TEST(FileCommands, ADamagedScheduleIsRefusedByOpenAndTheDocumentAndItsNameStay)
{
    TCommandFixture f;
    const std::string mine = f.SavedDocument("mine.xml", 2);
    const std::string path = f.SavedDocument("plan.xml", 3);
    const std::string damaged = DamageFile(path);
    f.form->mitNewClick();
    f.services->answers = {IDNO};
    f.form->fnk1Select(mine);
    f.form->AddItem();
    ASSERT_EQ(ItemList.size(), 3u);
    f.services->messages.clear();
    f.services->answers = {IDNO};
    f.services->fileAnswers.push_back(TFileDialogAnswer{path, 1});
    f.form->mitOpenClick();
    ASSERT_EQ(f.services->messages.size(), 2u);
    EXPECT_NE(f.services->messages[1].text.find(path), std::string::npos);
    EXPECT_NE(f.services->messages[1].text.find("x50"), std::string::npos) << f.services->messages[1].text;
    f.services->answers = {IDNO};
    f.form->fnk1Select(path);
    EXPECT_EQ(f.services->messages.size(), 4u);
    EXPECT_EQ(ItemList.size(), 3u);
    EXPECT_EQ(f.form->FFileName, mine);
    EXPECT_EQ(f.form->Caption(), mine);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(f.form->fnk1->Entry(0), mine);
    EXPECT_EQ(ReadBytes(path), damaged);
}

TEST(FileCommands, StartUpWithADamagedRecentFileSavesTheNewDocumentUnderANewName)
{
    TCommandFixture f;
    const std::string other = f.SavedDocument("other.xml", 1);
    const std::string path = f.SavedDocument("plan.xml", 3);
    const std::string damaged = DamageFile(path);
    f.form.reset();
    f.services->messages.clear();
    InitialLoad = true;
    f.form = std::make_unique<TfrmMain>(nullptr, "", false);
    ASSERT_EQ(f.services->messages.size(), 1u);
    EXPECT_NE(f.services->messages[0].text.find(path), std::string::npos);
    EXPECT_TRUE(ItemList.empty());
    const std::string fresh = SettingsDir + "Schedule1.xml";
    EXPECT_EQ(f.form->FFileName, fresh);
    EXPECT_EQ(f.form->Caption(), fresh);
    EXPECT_EQ(f.form->fnk1->Entry(0), path);
    EXPECT_EQ(f.form->fnk1->Entry(1), other);
    // 上書き保存 asks for a name, proposing the new one; the damaged file stays as it was.
    f.form->AddItem();
    f.services->fileAnswers.push_back(TFileDialogAnswer{fresh, 1});
    EXPECT_TRUE(f.form->mitSaveClick());
    EXPECT_EQ(f.services->fileRequests.back().fileName, "Schedule1.xml");
    EXPECT_EQ(ReadBytes(path), damaged);
    EXPECT_EQ(f.form->fnk1->Entry(0), fresh);
    EXPECT_EQ(f.form->fnk1->Entry(1), path);
}

TEST(FileCommands, AStartDateWhoseDaysWouldPassEitherEndIsMovedToTheNearestThatFitsWhenOpened)
{
    TCommandFixture f;
    const std::string path = f.SavedDocument("late.xml", 1);
    std::string bytes = ReadBytes(path);
    const size_t at = bytes.find("<startdate>") + 11;
    bytes.replace(at, 10, "9999/12/26");
    testing_support::WriteBytes(path, bytes);
    f.form->mitNewClick();
    // Seven days from 9999/12/26 pass the last date; from 9999/12/25 they end on it.
    f.services->messages.clear();
    f.services->fileAnswers.push_back(TFileDialogAnswer{path, 1});
    f.form->mitOpenClick();
    EXPECT_TRUE(f.services->messages.empty());
    ASSERT_EQ(f.form->FFileName, path);
    EXPECT_EQ(ItemList.size(), 1u);
    EXPECT_EQ(StartDate, EncodeDate(9999, 12, 25));
    EXPECT_EQ(f.form->FDocStartDate, StartDate);
    EXPECT_EQ(f.form->lblDateHanni->Caption(), "9999/12/25～9999/12/31");
    EXPECT_FALSE(Modified);
    EXPECT_EQ(ReadBytes(path), bytes);

    // The date format names no day before 0001/01/01; a start before it
    // (as the values may hold one) moves forward to it. A start that fits
    // stays, with its time of day.
    TDocumentValues doc;
    doc.StartDate = FirstDate - 3;
    FitDocumentStartDate(doc);
    EXPECT_EQ(doc.StartDate, FirstDate);
    doc.StartDate = EncodeDate(9999, 12, 24) + 0.5;
    FitDocumentStartDate(doc);
    EXPECT_EQ(doc.StartDate, EncodeDate(9999, 12, 24) + 0.5);
    // With todayStart the file's start is not taken at all.
    todayStart = true;
    doc.StartDate = LastDate;
    FitDocumentStartDate(doc);
    EXPECT_EQ(doc.StartDate, LastDate);
    todayStart = false;
}

namespace {

// The bytes this process has read from files (and pipes) so far.
long long BytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

} // namespace

TEST(FileCommands, OpeningADocumentReadsItsBytesOnce)
{
    TCommandFixture f;
    const std::string path = f.SavedDocument("large.xml", 1);
    std::string bytes = ReadBytes(path);
    bytes.insert(bytes.find("</item>"), "<text>" + std::string(4000000, 'a') + "</text>\r\n");
    testing_support::WriteBytes(path, bytes);
    f.form->mitNewClick();
    ASSERT_GE(BytesReadSoFar(), 0) << "the system does not count the bytes read";
    auto bytesReadBy = [](const std::function<void()> &open) {
        const long long before = BytesReadSoFar();
        open();
        return BytesReadSoFar() - before;
    };
    const long long byOpen = bytesReadBy([&] { f.form->fnk1Select(path); });
    ASSERT_EQ(f.form->FFileName, path);
    EXPECT_EQ(ItemList.front()->FMemo->Text().size(), 4000000u);
    EXPECT_LT(byOpen, static_cast<long long>(bytes.size()) * 3 / 2);
    f.form.reset();
    const long long byStart = bytesReadBy([&] { f.form = std::make_unique<TfrmMain>(nullptr, path, false); });
    ASSERT_EQ(ItemList.size(), 1u);
    EXPECT_LT(byStart, static_cast<long long>(bytes.size()) * 3 / 2);
}

TEST(FileCommands, ARelativeNameOnTheCommandLineIsMadeAbsolute)
{
    TCommandFixture f;
    const std::string path = f.SavedDocument("start.xml", 2);
    ForceDirectories(f.dir.Path() + "sub");
    f.form.reset();
    SetCurrentDir(f.dir.Path() + "sub");
    f.form = std::make_unique<TfrmMain>(nullptr, "../start.xml", false);
    EXPECT_EQ(ItemList.size(), 2u);
    EXPECT_EQ(f.form->FFileName, path);
    EXPECT_EQ(f.form->Caption(), path);
    EXPECT_EQ(f.form->fnk1->Entry(0), path);
    // A name that does not exist yet is kept absolute as well.
    f.form.reset();
    SetCurrentDir(f.dir.Path() + "sub");
    f.form = std::make_unique<TfrmMain>(nullptr, "new.xml", false);
    EXPECT_EQ(f.form->FFileName, f.dir.Path() + "sub/new.xml");
    EXPECT_EQ(f.form->Caption(), f.dir.Path() + "sub/new.xml");
}

// Opened (Ctrl+O, or from the recent files) or made (Ctrl+N) after a long
// document was scrolled to its end, a document shows its first row.
TEST(FileCommands, ADocumentOpenedOrMadeAfterALongOneWasScrolledDownShowsItsFirstRow)
{
    TCommandFixture f;
    const std::string longPath = f.SavedDocument("long.xml", 80);
    const std::string shortPath = f.SavedDocument("short.xml", 3);
    TfrmMain &form = *f.form;
    form.SetBounds(0, 0, 900, 600);
    ASSERT_TRUE(SimulateActivation(form));
    TControlScrollBar &rows = form.scb1->VertScrollBar();
    auto scrollToTheEnd = [&] {
        SimulateWheelBurst(*form.pnlBase, TPoint{50, 50}, -120, 400);
        LetTheWheelStandStill();
        return rows.Position();
    };
    auto firstRowInView = [&] {
        const TMemo &caption = *ItemList.at(0)->FMemo;
        const TRect view = form.scb1->ViewRect();
        return caption.Top() >= view.Top && caption.Top() + caption.Height() <= view.Bottom;
    };
    // The reading's wait window takes the activation; a window manager
    // gives it back to the main window when it closes.
    auto open = [&](const std::string &path) {
        form.fnk1Select(path);
        return SimulateActivation(form);
    };
    // Through the keys: the long one, scrolled down, then the short one.
    ASSERT_TRUE(open(longPath));
    ASSERT_EQ(ItemList.size(), 80u);
    ASSERT_GT(scrollToTheEnd(), 80 * 50 - 600);
    ASSERT_FALSE(firstRowInView());
    SimulateClick(*form.edtHdTitle, TPoint{5, 5});
    f.services->fileAnswers.push_back(TFileDialogAnswer{shortPath, 1});
    SimulateKey('O', ssCtrl);
    ASSERT_EQ(form.FFileName, shortPath);
    ASSERT_EQ(ItemList.size(), 3u);
    EXPECT_EQ(rows.Position(), 0);
    EXPECT_TRUE(firstRowInView());
    // From the recent files likewise.
    ASSERT_TRUE(open(longPath));
    ASSERT_GT(scrollToTheEnd(), 0);
    ASSERT_TRUE(open(shortPath));
    EXPECT_EQ(rows.Position(), 0);
    EXPECT_TRUE(firstRowInView());
    // A new document, its first row added at the top of the view.
    ASSERT_TRUE(open(longPath));
    ASSERT_GT(scrollToTheEnd(), 0);
    SimulateClick(*form.edtHdTitle, TPoint{5, 5});
    SimulateKey('N', ssCtrl);
    ASSERT_TRUE(ItemList.empty());
    EXPECT_EQ(rows.Position(), 0);
    form.AddItem();
    EXPECT_TRUE(firstRowInView());
    form.Hide();
}

namespace {

// The system refuses the rename of every save, as a folder that cannot be written does.
void RefuseTheRename(TAtomicSaveStep step)
{
    if (step == TAtomicSaveStep::Named)
        throw EFCreateError("Cannot create file. Permission denied", EACCES);
}

} // namespace

// The document takes the new name only when the save there succeeded.
TEST(FileCommands, ASaveAsThatFailsOrIsCalledOffKeepsTheOldNameAndTheNextSaveWritesTheOldFile)
{
    TCommandFixture f;
    const std::string path = f.SavedDocument("plan.xml", 1);
    f.form->fnk1Select(path);
    ASSERT_EQ(f.form->FFileName, path);
    f.form->AddItem();
    ItemList.back()->FMemo->SetText("新しい行😀");
    auto keepsTheOldName = [&](const std::string &why) {
        EXPECT_EQ(f.form->FFileName, path) << why;
        EXPECT_EQ(f.form->Caption(), path) << why;
        EXPECT_EQ(Application().Title(), "たるぼる-plan.xml") << why;
        EXPECT_EQ(f.form->fnk1->Entry(0), path) << why;
        EXPECT_TRUE(Modified) << why;
    };
    // A folder that cannot be written.
    const std::string locked = f.dir.Path() + "locked/";
    ForceDirectories(locked);
    SetAtomicSaveStepHook(RefuseTheRename);
    f.services->messages.clear();
    f.services->answers = {IDNO};  // Shift_JIS with "?" for the character it lacks
    f.services->fileAnswers.push_back(TFileDialogAnswer{locked + "new.xml", 1});
    const bool saved = f.form->mitSaveAsClick();
    SetAtomicSaveStepHook(nullptr);
    EXPECT_FALSE(saved);
    ASSERT_EQ(f.services->messages.size(), 2u);
    EXPECT_EQ(f.services->messages[1].text, "このファイル、またはフォルダに書き込みできません。");
    EXPECT_TRUE(testing_support::ListFiles(locked).empty());
    keepsTheOldName("unwritable folder");
    // A folder that does not exist.
    f.services->answers = {IDNO};
    f.services->fileAnswers.push_back(TFileDialogAnswer{f.dir.Path() + "no/such/new.xml", 1});
    EXPECT_FALSE(f.form->mitSaveAsClick());
    keepsTheOldName("missing folder");
    // キャンセル in the warning about the characters Shift_JIS lacks.
    f.services->messages.clear();
    f.services->answers = {IDCANCEL};
    f.services->fileAnswers.push_back(TFileDialogAnswer{f.dir.File("other"), 1});
    EXPECT_FALSE(f.form->mitSaveAsClick());
    ASSERT_EQ(f.services->messages.size(), 1u);
    EXPECT_FALSE(FileExists(f.dir.File("other.xml")));
    keepsTheOldName("called off");

    // 上書き保存 writes the old file, without asking for a name.
    const size_t requests = f.services->fileRequests.size();
    f.services->answers = {IDNO};
    EXPECT_TRUE(f.form->mitSaveClick());
    EXPECT_EQ(f.services->fileRequests.size(), requests);
    EXPECT_NE(ReadBytes(path).find("<text>\x90\x56\x82\xB5\x82\xA2\x8D\x73?</text>"), std::string::npos);
    EXPECT_FALSE(Modified);
    // A Save As that succeeds takes the new name.
    f.services->answers = {IDNO};
    f.services->fileAnswers.push_back(TFileDialogAnswer{f.dir.File("other"), 1});
    EXPECT_TRUE(f.form->mitSaveAsClick());
    EXPECT_EQ(f.form->FFileName, f.dir.File("other.xml"));
    EXPECT_EQ(f.form->Caption(), f.dir.File("other.xml"));
    EXPECT_EQ(Application().Title(), "たるぼる-other.xml");
    EXPECT_EQ(f.form->fnk1->Entry(0), f.dir.File("other.xml"));
}

// ---------------------------------------------------------------- a file another program changed

namespace {

const char *const kChangedElsewhere =
    "このファイルは、読み込みまたは保存の後にほかのプログラムで変更されています。上書き保存しますか？\r\n"
    "（「はい」はほかのプログラムでの変更を失います。「いいえ」は保存しません）";

// Another copy of the program saves the document with a title of its own:
// a new file renamed over the old one, as every save does.
void AnotherCopySaves(const std::string &path, const std::string &title)
{
    std::string text = ReadBytes(path);
    const size_t start = text.find("<title>") + 7;
    text.replace(start, text.find("</title>") - start, title);
    testing_support::WriteBytes(path + ".other", text);
    ASSERT_EQ(std::rename((path + ".other").c_str(), path.c_str()), 0);
}

// A tool writes the file over in place with as many bytes, its time a
// second on: only the modification time tells.
void AToolRewritesInPlace(const std::string &path)
{
    std::string text = ReadBytes(path);
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    struct timespec times[2] = {before.st_atim, before.st_mtim};
    times[1].tv_sec += 1;
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct TChangedFileFixture : TCommandFixture {
    std::string path;
    // A document of one row opened from its file, which another copy then
    // saved with its title "B"; this window added a row.
    TChangedFileFixture()
    {
        path = SavedDocument("plan.xml", 1);
        form->fnk1Select(path);
        AnotherCopySaves(path, "B");
        form->AddItem();
        services->messages.clear();
    }
    bool FileHasTheOtherCopysWork() const { return ReadBytes(path).find("<title>B</title>") != std::string::npos; }
    void ExpectKeptOpenAndModified(const std::string &road)
    {
        EXPECT_TRUE(FileHasTheOtherCopysWork()) << road;
        EXPECT_EQ(Rows(ReadBytes(path)), 1u) << road;
        EXPECT_EQ(ItemList.size(), 2u) << road;
        EXPECT_TRUE(Modified) << road;
        EXPECT_EQ(form->FFileName, path) << road;
    }
};

} // namespace

// 上書き保存 over a file that changed since it was read asks first; いいえ,
// or a box that got no answer, writes nothing and keeps the document open
// and modified; はい writes it, and the save after that asks nothing. A file
// written over in place counts as much as one replaced.
TEST(FileCommands, ASaveOverAFileAnotherProgramChangedAsksFirst)
{
    TChangedFileFixture f;
    for (int answer : {IDNO, IDCANCEL}) {
        f.services->answers = {answer};
        EXPECT_FALSE(f.form->mitSaveClick()) << answer;
        ASSERT_EQ(f.services->messages.size(), 1u) << answer;
        EXPECT_EQ(f.services->messages[0].text, f.path + "\r\n" + kChangedElsewhere);
        EXPECT_EQ(f.services->messages[0].caption, "確認");
        EXPECT_EQ(f.services->messages[0].flags, static_cast<unsigned>(MB_YESNO | MB_ICONWARNING));
        f.ExpectKeptOpenAndModified("answer " + std::to_string(answer));
        f.services->messages.clear();
    }
    f.services->answers = {IDYES};
    EXPECT_TRUE(f.form->mitSaveClick());
    EXPECT_FALSE(f.FileHasTheOtherCopysWork());
    EXPECT_EQ(Rows(ReadBytes(f.path)), 2u);
    EXPECT_FALSE(Modified);
    // This window's own save is no change by another.
    f.form->AddItem();
    f.services->messages.clear();
    EXPECT_TRUE(f.form->mitSaveClick());
    EXPECT_TRUE(f.services->messages.empty());
    EXPECT_EQ(Rows(ReadBytes(f.path)), 3u);

    AToolRewritesInPlace(f.path);
    f.form->AddItem();
    f.services->answers = {IDNO};
    EXPECT_FALSE(f.form->mitSaveClick());
    ASSERT_EQ(f.services->messages.size(), 1u);
    EXPECT_EQ(Rows(ReadBytes(f.path)), 3u);
    // 名前をつけて保存 onto the same file asks as well.
    f.services->answers = {IDNO};
    f.services->fileAnswers.push_back(TFileDialogAnswer{f.path, 1});
    EXPECT_FALSE(f.form->mitSaveAsClick());
    EXPECT_EQ(f.services->messages.size(), 2u);
    EXPECT_EQ(Rows(ReadBytes(f.path)), 3u);
}

// Every road to a save asks before it replaces the changed file: the save
// prompt of 新規作成, 開く and 開き直す, and the question at close. いいえ
// stops the command with the document as it was.
TEST(FileCommands, EveryRoadToASaveAsksBeforeReplacingAChangedFile)
{
    TChangedFileFixture f;
    const std::string other = f.dir.File("other.xml");
    testing_support::WriteBytes(other, ReadBytes(f.path));
    bool canClose = true;
    const std::vector<std::pair<std::string, std::function<void()>>> roads = {
        {"新規作成", [&] { f.form->mitNewClick(); }},
        {"開く",
         [&] {
             f.services->fileAnswers.push_back(TFileDialogAnswer{other, 1});
             f.form->mitOpenClick();
         }},
        {"開き直す", [&] { f.form->fnk1Select(other); }},
        {"終了", [&] { f.form->FormCloseQuery(f.form.get(), canClose); }},
    };
    for (const auto &[road, run] : roads) {
        f.services->messages.clear();
        f.services->answers = {IDYES, IDNO};  // save the changes? yes; replace the changed file? no
        run();
        ASSERT_EQ(f.services->messages.size(), 2u) << road;
        EXPECT_EQ(f.services->messages[1].text, f.path + "\r\n" + kChangedElsewhere) << road;
        f.ExpectKeptOpenAndModified(road);
    }
    EXPECT_FALSE(canClose);
    // はい to both: saved over the other copy's work, and the command goes on.
    f.services->answers = {IDYES, IDYES};
    f.form->fnk1Select(other);
    EXPECT_EQ(Rows(ReadBytes(f.path)), 2u);
    EXPECT_FALSE(f.FileHasTheOtherCopysWork());
    EXPECT_EQ(ItemList.size(), 1u);
    EXPECT_EQ(f.form->edtHdTitle->Text(), "B");
    EXPECT_EQ(f.form->FFileName, other);
}

namespace {

bool HasTemporaryFiles(const std::string &folder)
{
    for (const std::string &name : testing_support::ListFiles(folder))
        if (name.find(".tarvold-save") != std::string::npos)
            return true;
    return false;
}

} // namespace

// Another copy saves while this one's question about Shift_JIS stands open:
// the save asks before it replaces that file; いいえ writes nothing and leaves
// nothing beside it, はい writes it.
TEST(FileCommands, AFileChangedWhileASaveAsksIsNotReplacedUnasked)
{
    for (int answer : {IDNO, IDYES}) {
        TCommandFixture f;
        const std::string path = f.SavedDocument("plan.xml", 1);
        f.form->fnk1Select(path);
        f.form->AddItem();
        ItemList.back()->FMemo->SetText("\xF0\x9F\x99\x82");  // a face Shift_JIS lacks
        f.services->messages.clear();
        f.services->whileAsking = [&](const testing_support::FakeServices::Message &message) {
            if (message.text.starts_with("Shift_JIS"))
                AnotherCopySaves(path, "B");
        };
        f.services->answers = {IDNO, answer};  // stay with Shift_JIS; replace the changed file?
        EXPECT_EQ(f.form->mitSaveClick(), answer == IDYES);
        ASSERT_EQ(f.services->messages.size(), 2u) << answer;
        EXPECT_EQ(f.services->messages[1].text, path + "\r\n" + kChangedElsewhere) << answer;
        EXPECT_EQ(ReadBytes(path).find("<title>B</title>") != std::string::npos, answer == IDNO) << answer;
        EXPECT_EQ(Rows(ReadBytes(path)), answer == IDNO ? 1u : 2u) << answer;
        EXPECT_EQ(Modified, answer == IDNO) << answer;
        EXPECT_FALSE(HasTemporaryFiles(f.dir.Path())) << answer;
    }
}

namespace {

// Takes the document's folder away just after the new file took the old
// one's place, so that flushing the folder fails.
std::string folderToMove;
void MoveFolderAwayAtRenamed(TAtomicSaveStep step)
{
    if (step == TAtomicSaveStep::Renamed && !folderToMove.empty())
        std::rename(folderToMove.c_str(), (folderToMove + ".away").c_str());
}

} // namespace

// A save that fails after the new file took the old one's place (its folder
// could not be flushed) still left this window's file there: the next save
// asks nothing about it.
TEST(FileCommands, ASaveFailingAfterItReplacedTheFileIsNoChangeByAnother)
{
    TCommandFixture f;
    ForceDirectories(f.dir.Path() + "plans");
    const std::string path = f.SavedDocument("plans/plan.xml", 1);
    f.form->fnk1Select(path);
    f.form->AddItem();
    f.services->messages.clear();
    folderToMove = f.dir.Path() + "plans";
    SetAtomicSaveStepHook(MoveFolderAwayAtRenamed);
    EXPECT_FALSE(f.form->mitSaveClick());
    SetAtomicSaveStepHook(nullptr);
    ASSERT_EQ(std::rename((folderToMove + ".away").c_str(), folderToMove.c_str()), 0);
    folderToMove.clear();
    ASSERT_EQ(f.services->messages.size(), 1u);
    EXPECT_TRUE(f.services->messages[0].text.starts_with("保存できませんでした。")) << f.services->messages[0].text;
    EXPECT_EQ(Rows(ReadBytes(path)), 2u);
    f.services->messages.clear();
    f.form->AddItem();
    EXPECT_TRUE(f.form->mitSaveClick());
    EXPECT_TRUE(f.services->messages.empty());
    EXPECT_EQ(Rows(ReadBytes(path)), 3u);
}

// Nothing is asked where nobody else wrote: saves one after another, a first
// save of a new document (even over a file that is there: the save dialog
// asked), a save as under another name, a document whose file was taken away.
TEST(FileCommands, ASaveWithNobodyElseWritingAsksNothing)
{
    TCommandFixture f;
    const std::string there = f.SavedDocument("there.xml", 1);
    AnotherCopySaves(there, "B");
    f.form->mitNewClick();
    f.form->AddItem();
    f.services->messages.clear();
    f.services->fileAnswers.push_back(TFileDialogAnswer{there, 1});
    EXPECT_TRUE(f.form->mitSaveClick());
    for (int i = 0; i < 2; ++i) {
        f.form->AddItem();
        EXPECT_TRUE(f.form->mitSaveClick());
    }
    EXPECT_EQ(Rows(ReadBytes(there)), 3u);
    // Saved as another file: the first one's changes no longer matter.
    const std::string copy = f.dir.File("copy.xml");
    f.services->fileAnswers.push_back(TFileDialogAnswer{copy, 1});
    EXPECT_TRUE(f.form->mitSaveAsClick());
    AnotherCopySaves(there, "B");
    f.form->AddItem();
    EXPECT_TRUE(f.form->mitSaveClick());
    EXPECT_EQ(Rows(ReadBytes(copy)), 4u);
    // A file taken away is written again.
    DeleteFile(copy);
    f.form->AddItem();
    EXPECT_TRUE(f.form->mitSaveClick());
    EXPECT_EQ(Rows(ReadBytes(copy)), 5u);
    EXPECT_TRUE(f.services->messages.empty());
}
