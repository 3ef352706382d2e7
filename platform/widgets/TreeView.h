#pragma once
// A tree view as the report engine uses it: captions placed by their level,
// filled inside an update bracket, with a selection and a change event. It
// has no window of its own; nothing in the program shows one.
#include "platform/core/Component.h"

#include <functional>
#include <string>
#include <vector>

struct TTreeNode {
    std::string Text;
    int Level = 0;
    int Data = 0;
};

class TTreeView : public TComponent {
public:
    explicit TTreeView(TComponent *owner) : TComponent(owner) {}

    const std::vector<TTreeNode> &Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    void Clear();
    void Add(const std::string &text, int level, int data = 0);
    void BeginUpdate() { ++updating_; }
    void EndUpdate() { if (updating_ > 0) --updating_; }
    bool Updating() const { return updating_ > 0; }
    // The selected node's index, -1 for none; choosing one fires OnChange.
    int Selected() const { return selected_; }
    void SetSelected(int index);

    std::function<void(TObject *sender, int node)> OnChange;

private:
    std::vector<TTreeNode> items_;
    int updating_ = 0;
    int selected_ = -1;
};
