#include "platform/SysUtils.h"
#include "schedule/Main.h"
#include "tests/TestSupport.h"
#include "tests/schedule/DocumentWindow.h"

#include <gtest/gtest.h>

#include <memory>

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
