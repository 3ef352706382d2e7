// The label editor: the label's values in, the dialog's values back on OK only.
#include "report/RpLablEd.h"

#include <gtest/gtest.h>

TEST(RpLablEd, OkWritesTheValuesBackAndCancelLeavesTheLabel)
{
    TComponent owner;
    auto *label = new TRpLabel(&owner);
    label->SetCaption("工程");
    label->Size().SetWidth(120);
    label->Size().SetHeight(30);
    TRpLabelEditor editor(*label);
    bool sawValues = false;
    const bool ok = editor.ShowEditor([&](TCustomForm &form) {
        auto &dialog = static_cast<TRpLabelEditorForm &>(form);
        EXPECT_EQ(dialog.Caption(), "Text Settings");
        sawValues = dialog.Value->Text() == "工程" && dialog.AutoSize->Checked() && !dialog.Stretch->Checked();
        dialog.Value->SetText("工程表");
        dialog.Width->SetText("250");
        dialog.Height->SetText("");
        dialog.Stretch->SetChecked(true);
        dialog.Transparent->SetChecked(true);
        dialog.AutoSize->SetChecked(false);
        return mrOk;
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(sawValues);
    EXPECT_EQ(label->Caption(), "工程表");
    EXPECT_EQ(label->Size().Width(), 250);
    EXPECT_EQ(label->Size().Height(), 30);  // left blank: kept
    EXPECT_TRUE(label->AutoStretch());
    EXPECT_TRUE(label->Transparent());
    EXPECT_FALSE(label->AutoSize());

    EXPECT_FALSE(editor.ShowEditor([](TCustomForm &form) {
        static_cast<TRpLabelEditorForm &>(form).Value->SetText("changed");
        return mrCancel;
    }));
    EXPECT_EQ(label->Caption(), "工程表");
}
