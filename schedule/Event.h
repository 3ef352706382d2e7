#pragma once
// The event dialog: the dated events of one row as the rows of a typed grid.
#include "controls/MOStringGrid.h"
#include "platform/kernel/Forms.h"

#include <vector>

class TButton;
class TLabel;
class TMemo;
class TItem;
struct TEvent;

class TdlgEvent : public TForm {
public:
    // Loads the row's caption and events.
    TdlgEvent(TComponent *owner, TItem &item);

    TLabel *lblItem = nullptr;
    TMemo *memItem = nullptr;
    TButton *btnAdd = nullptr;
    TButton *btnDel = nullptr;
    TButton *btnOk = nullptr;
    TButton *CancelBtn = nullptr;
    TMOStringGrid *grdEvent = nullptr;

    // The colour of each grid row (entry 0 belongs to the caption row).
    const std::vector<TColor> &RowColors() const { return colors_; }

    void btnAddClick(TObject *sender);
    void btnDelClick(TObject *sender);
    // Converts every row into a new list first; the row's events are replaced
    // (sorted by date) only when all of them converted.
    void btnOkClick(TObject *sender);
    void grdEventCellValidate(TObject *sender, int col, int row);

private:
    void CreateGrid();
    void LoadEvents();
    std::vector<TEvent> ConvertRows();
    void grdEventDrawCell(TObject *sender, int col, int row, TRect rect, TGridDrawState state);
    void grdEventSelectCell(TObject *sender, int col, int row, bool &canSelect);

    TItem &item_;
    std::vector<TColor> colors_;
};

// Opens the event dialog for a row modally; on OK the row's events are
// replaced and the document marked modified. True when OK was chosen (the
// caller redraws).
bool ShowEventDialog(TItem &item);
