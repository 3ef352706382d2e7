#pragma once
// Text search in recorded pages, and the dialog that asks for the text.
#include "platform/widgets/Button.h"
#include "platform/widgets/CheckBox.h"
#include "platform/kernel/Forms.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Memo.h"
#include "platform/graphics/Metafile.h"

#include <string>
#include <string_view>

// Whether a page's text records hold the text: wide records are read as
// UTF-16, byte records as code page 932, and whole characters are compared;
// without match case, letters compare regardless of case.
bool MetafileContainsText(const std::string &text, const TMetafile &metafile, bool matchCase);
// The same over the bytes of an enhanced metafile, which may be damaged.
bool MetafileBytesContainText(const std::string &text, std::string_view emf, bool matchCase);

// Asks for the text to search and whether case matters.
class TSearchDlg : public TForm {
public:
    explicit TSearchDlg(TComponent *owner);

    TLabel *Label1;
    TEdit *Edit1;
    TCheckBox *CheckBox1;
    TButton *SpeedButton2;  // "Search"
    TButton *SpeedButton1;  // "Cancel"
    bool Cancelled = true;

    void FormCreate(TObject *sender);
    void SpeedButton1Click(TObject *sender);
    void SpeedButton2Click(TObject *sender);
};
