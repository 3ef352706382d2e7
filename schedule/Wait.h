#pragma once
// The wait window shown while a document is read: a caption and a progress bar
// that the reader fills as it reads the rows and then builds them.
#include "platform/kernel/Forms.h"
#include "platform/widgets/ProgressBar.h"

class TdlgWait : public TForm {
public:
    explicit TdlgWait(TComponent *owner);
    TProgressBar *pgb1;
};
