#pragma once
// The wait window shown while a document is read: a caption and a progress bar
// that the reader steps once per row.
#include "platform/Forms.h"
#include "platform/ProgressBar.h"

class TdlgWait : public TForm {
public:
    explicit TdlgWait(TComponent *owner);
    TProgressBar *pgb1;
};
