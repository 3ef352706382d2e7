#pragma once
// The splash window: the title picture with the version, shown modally while
// the main window starts; it closes itself when its timer fires.
#include "platform/Forms.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/Memo.h"
#include "platform/Panel.h"
#include "platform/Timer.h"

class TfrmTitle : public TForm {
public:
    explicit TfrmTitle(TComponent *owner);
    TPanel *pnlTitle;
    TImage *img1;
    TLabel *lblVersion;
    TEdit *edDummy;
    TTimer *tmr1;

private:
    void DrawTitlePicture();
};
