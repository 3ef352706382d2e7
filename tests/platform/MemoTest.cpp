// A memo's lines as it shows them: read from the memo's own window and
// computed without one.
#include "platform/kernel/Forms.h"
#include "platform/kernel/QtControls.h"
#include "platform/widgets/Memo.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

// The lines the memo's window lays out, soft breaks included; the spaces a
// soft break falls on are not part of the line.
TLines WindowLines(TMemo &memo)
{
    auto *edit = static_cast<QPlainTextEdit *>(memo.Link()->Widget());
    EXPECT_EQ(edit->viewport()->width(), memo.Width());
    QTextDocument *document = edit->document();
    TLines lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        document->documentLayout()->blockBoundingRect(block);  // lays the block out
        const QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            QString text = block.text().mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength());
            while (i + 1 < layout->lineCount() && !text.isEmpty() && text.back().isSpace())
                text.chop(1);
            lines.push_back(text.toStdString());
        }
    }
    return lines;
}

struct TCaption {
    std::string text;
    int width;
};

} // namespace

TEST(Memo, LinesAreTheLinesItsWindowShowsWithOrWithoutTheWindow)
{
    const std::string longCaption = "要件定義と顧客ヒアリングおよび現行業務の調査分析と課題の洗い出しを行う工程";
    const std::vector<TCaption> captions = {
        {longCaption, 180},
        {"設計\r\n" + longCaption + "\r\n\r\n最後", 180},
        {longCaption, 90},
        {"The quick brown fox jumps over the lazy dog, then runs far away", 120},
        {"A Supercalifragilisticexpialidocious word", 90},
        {"spaces   at   the   breaks   stay   out   of   the   lines", 100},
        {"", 180},
    };
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 400);
    for (const TCaption &caption : captions) {
        TMemo windowless(nullptr), shown(&form);
        for (TMemo *memo : {&windowless, &shown}) {
            memo->SetBounds(0, 0, caption.width, 100);
            memo->Font().SetName("ＭＳ ゴシック");
            memo->Font().SetSize(9);
            memo->SetText(caption.text);
        }
        shown.SetParent(&form);
        form.ShowForm();
        ASSERT_TRUE(shown.HandleAllocated());
        ASSERT_FALSE(windowless.HandleAllocated());
        const TLines onScreen = WindowLines(shown);
        EXPECT_EQ(shown.Lines(), onScreen) << caption.text;
        EXPECT_EQ(windowless.Lines(), onScreen) << caption.text;
        EXPECT_EQ(windowless.Text(), caption.text);
        form.Hide();
    }

    TMemo memo(nullptr);
    memo.SetBounds(0, 0, 180, 100);
    memo.Font().SetName("ＭＳ ゴシック");
    memo.Font().SetSize(9);
    memo.SetText(longCaption + "\r\n工程");
    EXPECT_EQ(memo.Lines(), (TLines{"要件定義と顧客ヒアリングおよ", "び現行業務の調査分析と課題の", "洗い出しを行う工程", "工程"}));
    EXPECT_EQ(memo.Text(), longCaption + "\r\n工程");
    // Latin text breaks between its words.
    const std::string words = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda";
    memo.SetText(words);
    std::string joined;
    for (const std::string &line : memo.Lines()) {
        EXPECT_NE((" " + words + " ").find(" " + line + " "), std::string::npos) << line;
        joined += (joined.empty() ? "" : " ") + line;
    }
    EXPECT_EQ(joined, words);
    EXPECT_GT(memo.Lines().size(), 1u);
    // Without word wrap the lines are the typed ones, in the window too.
    memo.SetWordWrap(false);
    memo.SetText(longCaption + "\r\n工程");
    EXPECT_EQ(memo.Lines(), (TLines{longCaption, "工程"}));
    memo.SetParent(&form);
    form.ShowForm();
    EXPECT_EQ(WindowLines(memo), (TLines{longCaption, "工程"}));
    form.Hide();
}
