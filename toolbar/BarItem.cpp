#include "toolbar/BarItem.h"

#include "platform/kernel/Application.h"
#include "platform/core/Menus.h"
#include "toolbar/BarCommon.h"

#include <algorithm>
#include <utility>

// ---------------------------------------------------------------- deferred calls

namespace {

enum TDeferredKind { dkItemClick, dkViewerAction };

struct TDeferredCall {
    const void *object = nullptr; // nullptr: free slot; the void marker after a cancel
    TDeferredKind kind = dkItemClick;
    bool voided = false;
};

// The per-thread hidden window of the queue and its slots.
class TDeferredCallWindow : public TMessageTarget {
public:
    void WndProc(TMessage &message) override
    {
        if (message.Msg != BARWM_DEFERREDCALL)
            return;
        auto slot = static_cast<size_t>(message.LParam);
        if (slot >= slots.size())
            return;
        TDeferredCall call = slots[slot];
        slots[slot] = TDeferredCall{};
        while (!slots.empty() && !slots.back().object && !slots.back().voided)
            slots.pop_back();
        if (!call.object || call.voided)
            return;
        Application().Guard([&] {
            if (call.kind == dkItemClick)
                static_cast<TBarCustomItem *>(const_cast<void *>(call.object))->Click();
            else
                RunViewerDefaultAction(static_cast<TBarItemViewer *>(const_cast<void *>(call.object)),
                                       static_cast<unsigned>(message.WParam));
        });
    }
    std::vector<TDeferredCall> slots;
};

struct TDeferredQueue {
    std::unique_ptr<TDeferredCallWindow> window;
    int users = 0;
};

TDeferredQueue &Queue()
{
    static TDeferredQueue queue;
    return queue;
}

void AddDeferredUser() { ++Queue().users; }

void ReleaseDeferredUser()
{
    if (--Queue().users == 0)
        Queue().window.reset();
}

void QueueDeferredCall(const void *object, TDeferredKind kind, unsigned flags)
{
    TDeferredQueue &q = Queue();
    if (!q.window)
        q.window = std::make_unique<TDeferredCallWindow>();
    auto &slots = q.window->slots;
    auto it = std::find_if(slots.begin(), slots.end(), [](const TDeferredCall &c) { return !c.object && !c.voided; });
    size_t slot = static_cast<size_t>(it - slots.begin());
    if (it == slots.end())
        slots.push_back({});
    slots[slot] = TDeferredCall{object, kind, false};
    PostMessage(q.window.get(), BARWM_DEFERREDCALL, flags, static_cast<LPARAM>(slot));
}

} // namespace

void QueueItemClick(TBarCustomItem *item) { QueueDeferredCall(item, dkItemClick, 0); }

void QueueViewerDefaultAction(TBarItemViewer *viewer, unsigned flags) { QueueDeferredCall(viewer, dkViewerAction, flags); }

void CancelDeferredCalls(const void *object)
{
    if (!Queue().window)
        return;
    for (TDeferredCall &call : Queue().window->slots)
        if (call.object == object)
            call = TDeferredCall{nullptr, dkItemClick, true};
}

bool DeferredCallWindowExists() { return Queue().window != nullptr; }

// ---------------------------------------------------------------- images

TBarImageList::~TBarImageList()
{
    for (TChangeLink *link : links_)
        link->images_ = nullptr;
}

void TBarImageList::TChangeLink::SetImages(TBarImageList *images)
{
    if (images == images_)
        return;
    if (images_) {
        auto &links = images_->links_;
        links.erase(std::remove(links.begin(), links.end(), this), links.end());
    }
    images_ = images;
    if (images_)
        images_->links_.push_back(this);
}

void TBarImageList::Change()
{
    // A handler may drop its link (or another's) while the change is told.
    std::vector<TChangeLink *> snapshot = links_;
    for (TChangeLink *link : snapshot)
        if (std::find(links_.begin(), links_.end(), link) != links_.end() && link->OnChange)
            link->OnChange(this);
}

void TBarImageList::SetSize(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    colors_.clear(); // images of the old size do not fit the new one
    Change();
}

void TBarImageList::Add(TColor color)
{
    colors_.push_back(color);
    Change();
}

void TBarImageList::Replace(int index, TColor color)
{
    if (index < 0 || index >= Count())
        return;
    colors_[static_cast<size_t>(index)] = color;
    Change();
}

void TBarImageList::Clear()
{
    if (colors_.empty())
        return;
    colors_.clear();
    Change();
}

void TBarImageList::Draw(TCanvas &canvas, int x, int y, int index, bool enabled) const
{
    if (index < 0 || index >= Count())
        return;
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(enabled ? colors_[static_cast<size_t>(index)] : clGrayText);
    canvas.FillRect(Bounds(x, y, width_, height_));
}

// ---------------------------------------------------------------- items

TBarCustomItem::TBarCustomItem(TComponent *owner) : TComponent(owner)
{
    AddDeferredUser();
    imagesLink_.OnChange = [this](TBarImageList *) { ImagesChanged(); };
    submenuImagesLink_.OnChange = [this](TBarImageList *) { SubmenuImagesListChanged(); };
}

TBarCustomItem::~TBarCustomItem()
{
    CancelDeferredCalls(this);
    while (!items_.empty()) {
        TBarCustomItem *child = items_.back();
        Delete(Count() - 1);
        delete child;
    }
    if (parent_)
        parent_->Remove(this);
    SetLinkSubitems(nullptr);
    for (TBarCustomItem *linkParent : std::vector<TBarCustomItem *>(linkParents_))
        linkParent->SetLinkSubitems(nullptr);
    actionLink_.reset();
    imagesLink_.SetImages(nullptr);
    submenuImagesLink_.SetImages(nullptr);
    notifyList_.clear();
    ReleaseDeferredUser();
}

TBarCustomItem *TBarCustomItem::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw ETBItemError("Toolbar item index out of range");
    return items_[static_cast<size_t>(index)];
}

void TBarCustomItem::Insert(int index, TBarCustomItem *item)
{
    if (item->parent_)
        throw ETBItemError("Toolbar item already inserted");
    if (index < 0 || index > Count())
        throw ETBItemError("Toolbar item index out of range");
    // An item inside its own subtree would make the tree a cycle.
    for (const TBarCustomItem *p = this; p; p = p->parent_)
        if (p == item)
            throw ETBItemError("Toolbar item cannot be inserted into itself");
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    Notify(SubitemsBeginUpdate, -1, nullptr);
    try {
        Notify(ItemInserted, index, item);
        item->RecalcOptions();
    } catch (...) {
        Notify(SubitemsEndUpdate, -1, nullptr);
        throw;
    }
    Notify(SubitemsEndUpdate, -1, nullptr);
}

void TBarCustomItem::Delete(int index)
{
    TBarCustomItem *child = GetItem(index);
    Notify(ItemDeleting, index, child);
    child->parent_ = nullptr;
    items_.erase(std::find(items_.begin(), items_.end(), child));
}

int TBarCustomItem::IndexOf(const TBarCustomItem *item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TBarCustomItem::Remove(TBarCustomItem *item)
{
    int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
}

void TBarCustomItem::Move(int currentIndex, int newIndex)
{
    if (currentIndex == newIndex)
        return;
    if (newIndex < 0 || newIndex >= Count())
        throw ETBItemError("Toolbar item index out of range");
    TBarCustomItem *item = GetItem(currentIndex);
    Notify(SubitemsBeginUpdate, -1, nullptr);
    try {
        Delete(currentIndex);
        Insert(newIndex, item);
    } catch (...) {
        Notify(SubitemsEndUpdate, -1, nullptr);
        throw;
    }
    Notify(SubitemsEndUpdate, -1, nullptr);
}

void TBarCustomItem::RegisterNotification(TBarItemChangedProc proc, TBarView *view)
{
    for (auto &r : notifyList_)
        if (r->proc == proc && r->view == view) {
            ++r->count;
            return;
        }
    notifyList_.push_back(std::make_shared<TRegistration>(TRegistration{proc, view, 1}));
}

void TBarCustomItem::UnregisterNotification(TBarItemChangedProc proc, TBarView *view)
{
    for (size_t i = 0; i < notifyList_.size(); ++i)
        if (notifyList_[i]->proc == proc && notifyList_[i]->view == view) {
            if (--notifyList_[i]->count <= 0)
                notifyList_.erase(notifyList_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

void TBarCustomItem::NameChanged()
{
    if (parent_)
        parent_->Notify(ItemNameChanged, parent_->IndexOf(this), this);
}

void TBarCustomItem::Notify(TBarItemChangedAction action, int index, TBarCustomItem *child, int relayDepth,
                            TBarCustomItem *relayedFrom)
{
    TBarCustomItem *changed = relayedFrom ? relayedFrom : this;
    if ((itemStyle_ & InlineGroup) && parent_ && relayDepth <= 10)
        parent_->Notify(action, index, child, relayDepth + 1, relayDepth == 0 ? this : changed);
    for (TBarCustomItem *linkParent : std::vector<TBarCustomItem *>(linkParents_))
        if (linkParent != parent_ && (linkParent->itemStyle_ & InlineGroup) && linkParent->parent_ && relayDepth <= 10)
            linkParent->parent_->Notify(action, index, child, relayDepth + 1, relayDepth == 0 ? this : changed);
    // A snapshot: callbacks may unregister themselves or others; only the
    // registrations still present are called.
    std::vector<std::shared_ptr<TRegistration>> snapshot = notifyList_;
    for (const auto &r : snapshot) {
        if (std::find(notifyList_.begin(), notifyList_.end(), r) == notifyList_.end())
            continue;
        r->proc(r->view, changed, changed != this, action, index, child);
    }
}

void TBarCustomItem::Changed(bool requiresResize)
{
    if (!parent_)
        return;
    parent_->Notify(requiresResize ? ItemInvalidateAndResize : ItemInvalidate, -1, this);
}

void TBarCustomItem::RecalcOptions()
{
    TBarItemOptions inherited = (inheritOptions_ && parent_) ? (parent_->effectiveOptions_ & ~broDefault) : 0;
    TBarItemOptions result = (inherited & ~maskOptions_) | options_;
    if (!(result & broToolbarStyle))
        result &= ~broToolbarSize;
    if (result == effectiveOptions_)
        return;
    TBarItemOptions layoutBits = broDefault | broDropdownArrow | broImageAboveCaption | broNoRotation | broSameWidth
        | broToolbarStyle | broToolbarSize;
    bool resize = ((result ^ effectiveOptions_) & layoutBits) != 0;
    effectiveOptions_ = result;
    if (resize)
        Changed(true);
    for (TBarCustomItem *child : items_)
        if (child->inheritOptions_)
            child->RecalcOptions();
}

void TBarCustomItem::SetOptions(TBarItemOptions options)
{
    if (!(options & broToolbarStyle))
        options &= ~broToolbarSize;
    if (options == options_)
        return;
    options_ = options;
    RecalcOptions();
}

void TBarCustomItem::SetMaskOptions(TBarItemOptions options)
{
    if (options == maskOptions_)
        return;
    maskOptions_ = options;
    RecalcOptions();
}

void TBarCustomItem::SetInheritOptions(bool inherit)
{
    if (inherit == inheritOptions_)
        return;
    inheritOptions_ = inherit;
    RecalcOptions();
}

void TBarCustomItem::SetCaption(const std::string &caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    Changed(true);
}

void TBarCustomItem::UncheckGroupSiblings()
{
    if (!parent_ || groupIndex_ == 0)
        return;
    for (TBarCustomItem *sibling : std::vector<TBarCustomItem *>(parent_->items_))
        if (sibling != this && sibling->groupIndex_ == groupIndex_)
            sibling->SetChecked(false);
}

void TBarCustomItem::SetChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    Changed(false);
    if (checked)
        UncheckGroupSiblings();
}

void TBarCustomItem::SetGroupIndex(int index)
{
    if (index == groupIndex_)
        return;
    groupIndex_ = index;
    if (checked_)
        UncheckGroupSiblings();
}

void TBarCustomItem::SetDisplayMode(TBarItemDisplayMode mode)
{
    if (mode == displayMode_)
        return;
    displayMode_ = mode;
    Changed(true);
}

void TBarCustomItem::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Changed(false);
}

void TBarCustomItem::SetImageIndex(int index)
{
    if (index == imageIndex_)
        return;
    // Any negative index means no image: only gaining or losing one resizes.
    bool resize = (imageIndex_ >= 0) != (index >= 0);
    imageIndex_ = index;
    Changed(resize);
}

void TBarCustomItem::SetImages(TBarImageList *images)
{
    if (images == images_)
        return;
    if (images_)
        images_->RemoveFreeNotification(this);
    images_ = images;
    imagesLink_.SetImages(images);
    if (images)
        images->FreeNotification(this);
    // The room the item takes changes only with the size of its images.
    int width = images ? images->Width() : 0, height = images ? images->Height() : 0;
    bool resize = width != imagesWidth_ || height != imagesHeight_;
    imagesWidth_ = width;
    imagesHeight_ = height;
    Changed(resize);
}

void TBarCustomItem::ImagesChanged()
{
    int width = images_ ? images_->Width() : 0, height = images_ ? images_->Height() : 0;
    bool resize = width != imagesWidth_ || height != imagesHeight_;
    imagesWidth_ = width;
    imagesHeight_ = height;
    Changed(resize);
}

void TBarCustomItem::SetSubmenuImages(TBarImageList *images)
{
    if (images == submenuImages_)
        return;
    if (submenuImages_)
        submenuImages_->RemoveFreeNotification(this);
    submenuImages_ = images;
    submenuImagesLink_.SetImages(images);
    if (images)
        images->FreeNotification(this);
    Notify(SubmenuImagesChanged, -1, nullptr);
}

void TBarCustomItem::SubmenuImagesListChanged() { Notify(SubmenuImagesChanged, -1, nullptr); }

void TBarCustomItem::SetRadioItem(bool radio)
{
    if (radio == radioItem_)
        return;
    radioItem_ = radio;
    Changed(false);
}

void TBarCustomItem::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    Changed(true);
}

void TBarCustomItem::SetLinkSubitems(TBarCustomItem *item)
{
    if (item == this)
        item = nullptr;
    if (item == linkSubitems_)
        return;
    if (linkSubitems_) {
        auto &lp = linkSubitems_->linkParents_;
        lp.erase(std::remove(lp.begin(), lp.end(), this), lp.end());
        linkSubitems_->RemoveFreeNotification(this);
    }
    linkSubitems_ = item;
    if (item) {
        item->linkParents_.push_back(this);
        item->FreeNotification(this);
    }
    Notify(SubitemsChanged, -1, nullptr);
}

void TBarCustomItem::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == images_) {
        images_ = nullptr;
        imagesLink_.SetImages(nullptr);
    }
    if (component == submenuImages_) {
        submenuImages_ = nullptr;
        submenuImagesLink_.SetImages(nullptr);
    }
    if (component == actionComponent_)
        SetAction(nullptr);
    if (component == linkSubitems_)
        SetLinkSubitems(nullptr);
    linkParents_.erase(std::remove(linkParents_.begin(), linkParents_.end(), component), linkParents_.end());
}

std::string TBarCustomItem::GetShortCutText() const
{
    size_t tab = caption_.find('\t');
    if (tab != std::string::npos && tab + 1 < caption_.size())
        return caption_.substr(tab + 1);
    if (shortCut_ != 0)
        return ShortCutToText(shortCut_);
    return {};
}

void TBarCustomItem::DoPopup(TBarCustomItem *sender, bool fromLink)
{
    if (OnSubmenuPopup)
        OnSubmenuPopup(sender, fromLink);
    if (!(itemStyle_ & SubmenuOnArrowOnly))
        Click();
}

void TBarCustomItem::Click()
{
    if (!enabled_)
        return;
    if (autoCheck_ && !(actionLink_ && actionLink_->IsAutoCheckLinked()))
        SetChecked(!checked_);
    if (!OnClick || !actionLink_ || OnClickIsActionHandler()) {
        if (actionLink_) {
            actionLink_->Execute();
            return;
        }
        if (!OnClick)
            return;
    }
    OnClick(this);
}

// ---------------------------------------------------------------- actions

namespace {

// The action's execute handler as an item's OnClick; recognised by its type,
// so that a click of the item runs the action itself.
struct TActionExecuteHandler {
    const TAction *action; // compared only, never read
    TNotifyEvent handler;
    void operator()(TObject *sender) const
    {
        if (handler)
            handler(sender);
    }
};

} // namespace

TAction *TBarCustomItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

bool TBarCustomItem::OnClickIsActionHandler() const
{
    const auto *h = OnClick.target<TActionExecuteHandler>();
    return h && actionLink_ && h->action == actionLink_->Action();
}

std::unique_ptr<TBarCustomItemActionLink> TBarCustomItem::CreateActionLink()
{
    return std::make_unique<TBarCustomItemActionLink>(this);
}

void TBarCustomItem::SetAction(TAction *action)
{
    if (actionComponent_)
        actionComponent_->RemoveFreeNotification(this);
    actionComponent_ = action;
    if (!action) {
        actionLink_.reset();
        return;
    }
    if (!actionLink_) {
        actionLink_ = CreateActionLink();
        actionLink_->OnChange = [this](TAction *changed) {
            if (changed)
                ActionChange(changed, false);
        };
    }
    actionLink_->SetAction(action);
    ActionChange(action, false);
    action->FreeNotification(this);
}

void TBarCustomItem::ActionChange(TAction *action, bool checkDefaults)
{
    if (!checkDefaults || !autoCheck_)
        SetAutoCheck(action->AutoCheck());
    if (!checkDefaults || caption_.empty())
        SetCaption(action->Caption());
    if (!checkDefaults || !checked_)
        SetChecked(action->Checked());
    if (!checkDefaults || enabled_)
        SetEnabled(action->Enabled());
    if (!checkDefaults || helpContext_ == 0)
        SetHelpContext(action->HelpContext());
    if (!checkDefaults || hint_.empty())
        SetHint(action->Hint());
    if (!checkDefaults || imageIndex_ == -1)
        SetImageIndex(action->ImageIndex());
    if (!checkDefaults || shortCut_ == 0)
        SetShortCut(action->ShortCut());
    if (!checkDefaults || visible_)
        SetVisible(action->Visible());
    if (!checkDefaults || !OnClick)
        OnClick = TActionExecuteHandler{action, action->OnExecute};
}

void TBarCustomItem::InitiateAction()
{
    if (actionLink_)
        actionLink_->Update();
}

bool TBarCustomItemActionLink::IsAutoCheckLinked() const { return Action() && client_->AutoCheck() == Action()->AutoCheck(); }
bool TBarCustomItemActionLink::IsCaptionLinked() const { return Action() && client_->Caption() == Action()->Caption(); }
bool TBarCustomItemActionLink::IsCheckedLinked() const { return Action() && client_->Checked() == Action()->Checked(); }
bool TBarCustomItemActionLink::IsEnabledLinked() const { return Action() && client_->Enabled() == Action()->Enabled(); }
bool TBarCustomItemActionLink::IsHelpContextLinked() const
{
    return Action() && client_->HelpContext() == Action()->HelpContext();
}
bool TBarCustomItemActionLink::IsHintLinked() const { return Action() && client_->Hint() == Action()->Hint(); }
bool TBarCustomItemActionLink::IsImageIndexLinked() const
{
    return Action() && client_->ImageIndex() == Action()->ImageIndex();
}
bool TBarCustomItemActionLink::IsShortCutLinked() const { return Action() && client_->ShortCut() == Action()->ShortCut(); }
bool TBarCustomItemActionLink::IsVisibleLinked() const { return Action() && client_->Visible() == Action()->Visible(); }

void TBarCustomItemActionLink::SetAutoCheck(bool value)
{
    if (IsAutoCheckLinked())
        client_->SetAutoCheck(value);
}
void TBarCustomItemActionLink::SetCaption(const std::string &value)
{
    if (IsCaptionLinked())
        client_->SetCaption(value);
}
void TBarCustomItemActionLink::SetChecked(bool value)
{
    if (IsCheckedLinked())
        client_->SetChecked(value);
}
void TBarCustomItemActionLink::SetEnabled(bool value)
{
    if (IsEnabledLinked())
        client_->SetEnabled(value);
}
void TBarCustomItemActionLink::SetHelpContext(int value)
{
    if (IsHelpContextLinked())
        client_->SetHelpContext(value);
}
void TBarCustomItemActionLink::SetHint(const std::string &value)
{
    if (IsHintLinked())
        client_->SetHint(value);
}
void TBarCustomItemActionLink::SetImageIndex(int value)
{
    if (IsImageIndexLinked())
        client_->SetImageIndex(value);
}
void TBarCustomItemActionLink::SetShortCut(int value)
{
    if (IsShortCutLinked())
        client_->SetShortCut(value);
}
void TBarCustomItemActionLink::SetVisible(bool value)
{
    if (IsVisibleLinked())
        client_->SetVisible(value);
}

std::unique_ptr<TBarItemViewer> TBarCustomItem::CreateViewer(TBarView *view, int groupDepth)
{
    return std::make_unique<TBarItemViewer>(view, this, groupDepth);
}

TBarSeparatorItem::TBarSeparatorItem(TComponent *owner) : TBarCustomItem(owner)
{
    SetItemStyle((ItemStyle() & ~(Selectable | RedrawOnSelChange | RedrawOnHoverChange)) | Separator | NotClickable);
}

void TBarSeparatorItem::SetBlank(bool blank)
{
    if (blank == blank_)
        return;
    blank_ = blank;
    Changed(false);
}

std::unique_ptr<TBarItemViewer> TBarSeparatorItem::CreateViewer(TBarView *view, int groupDepth)
{
    return std::make_unique<TBarSeparatorItemViewer>(view, this, groupDepth);
}

TBarControlItem::TBarControlItem(TComponent *owner) : TBarCustomItem(owner)
{
    SetItemStyle((ItemStyle() & ~Selectable) | NotClickable);
}

TBarControlItem::TBarControlItem(TComponent *owner, TControl *control) : TBarControlItem(owner)
{
    control_ = control;
    if (control)
        control->FreeNotification(this);
}

TBarControlItem::~TBarControlItem()
{
    // Forgotten before it is freed: whoever is told of its going (the toolbar
    // it sits in) must not find it hosted here and free this item again.
    TControl *control = std::exchange(control_, nullptr);
    if (control) {
        control->RemoveFreeNotification(this);
        if (!dontFree_)
            delete control;
    }
}

void TBarControlItem::SetControl(TControl *control)
{
    if (control == control_)
        return;
    if (control_)
        control_->RemoveFreeNotification(this);
    control_ = control;
    if (control)
        control->FreeNotification(this);
    Changed(true);
}

void TBarControlItem::Notification(TComponent *component, TOperation operation)
{
    TBarCustomItem::Notification(component, operation);
    if (operation == TOperation::opRemove && component == control_)
        control_ = nullptr;
}

TBarCustomItem *EffectiveItemContainer(TBarCustomItem *item)
{
    if (item && item->LinkSubitems())
        return item->LinkSubitems();
    return item;
}

// ---------------------------------------------------------------- shortcuts

namespace {

// Depth-first search for the first item with the shortcut; `child` gets the
// direct child of `container` on the way. Links are followed at most 25 deep.
TBarCustomItem *FindShortCut(TBarCustomItem *container, int shortCut, TBarCustomItem *&child, int linkDepth)
{
    TBarCustomItem *items = EffectiveItemContainer(container);
    if (items != container && ++linkDepth > 25)
        return nullptr;
    for (int i = 0; i < items->Count(); ++i) {
        TBarCustomItem *item = items->GetItem(i);
        TBarCustomItem *ignored = nullptr;
        if (item->ShortCut() == shortCut || FindShortCut(item, shortCut, ignored, linkDepth)) {
            child = item;
            return item->ShortCut() == shortCut ? item : FindShortCut(item, shortCut, ignored, linkDepth);
        }
    }
    return nullptr;
}

} // namespace

bool ProcessItemShortCut(TBarCustomItem *root, int key, TShiftState shift)
{
    int shortCut = key | ((shift & ssShift) ? scShift : 0) | ((shift & ssCtrl) ? scCtrl : 0)
        | ((shift & ssAlt) ? scAlt : 0);
    if (shortCut == 0 || !root)
        return false;
    TBarCustomItem *child = nullptr;
    if (!FindShortCut(root, shortCut, child, 0))
        return false;
    TBarCustomItem *container = root;
    for (;;) {
        if (!container->Enabled())
            return false;
        TBarCustomItem *items = EffectiveItemContainer(container);
        for (int i = 0; i < items->Count(); ++i)
            items->GetItem(i)->InitiateAction();
        if (!(container->ItemStyle() & InlineGroup)) {
            Application().Guard([&] {
                if (container->LinkSubitems())
                    container->LinkSubitems()->DoPopup(container, true);
                container->DoPopup(container, false);
            });
        }
        child = nullptr;
        TBarCustomItem *found = FindShortCut(container, shortCut, child, 0);
        if (!found)
            return false;
        if (found != child) {
            container = child;
            continue;
        }
        if (!found->Enabled())
            return false;
        Application().Guard([&] { found->Click(); });
        return true;
    }
}
