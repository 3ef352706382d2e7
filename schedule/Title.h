#pragma once
// The splash window: the title picture with the version, shown modally while
// the main window starts; it closes itself when its timer fires.
#include "platform/kernel/Forms.h"
#include "platform/widgets/Image.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Memo.h"
#include "platform/widgets/Panel.h"
#include "platform/kernel/Timer.h"

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
