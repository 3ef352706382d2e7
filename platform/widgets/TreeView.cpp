#include "platform/widgets/TreeView.h"

void TTreeView::Clear()
{
    items_.clear();
    selected_ = -1;
}

void TTreeView::Add(const std::string &text, int level, int data)
{
    items_.push_back({text, level, data});
}

void TTreeView::SetSelected(int index)
{
    if (index < -1 || index >= Count() || index == selected_)
        return;
    selected_ = index;
    if (OnChange && !Updating())
        OnChange(this, index);
}
