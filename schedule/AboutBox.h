#pragma once
// The version dialog: the program's name and version, with mail and web links.
#include "platform/widgets/Button.h"
#include "platform/widgets/Image.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Panel.h"

class TdlgAboutBox : public TForm {
public:
    TdlgAboutBox();

    TPanel *pnlIcon;
    TImage *imgIcon;
    TLabel *lblName[4];
    TLabel *lblFor, *lblVersion, *lblMailCaption, *lblMail, *lblUrlCaption, *lblUrl;
    TButton *OKButton;

    void lblMailClick(TObject *sender);
    void lblUrlClick(TObject *sender);
    // Hover colours: the link under the mouse turns blue, the other stays teal.
    void HighlightLink(TLabel *hovered);
};

// ヘルプ > バージョン情報.
void ShowAboutBox(const TModalRunner &run = RunModal);
