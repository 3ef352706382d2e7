#pragma once
// The toolbar and menu framework's model: a tree of items (TBarCustomItem),
// the views that show one item's children (TBarView) with one viewer per shown
// item (TBarItemViewer), their layout, the popup windows of submenus and the
// deferred-call queue through which a chosen command runs after every menu
// has closed.
#include "platform/core/Actions.h"
#include "platform/core/Component.h"
#include "platform/kernel/Controls.h"
#include "platform/core/Exceptions.h"
#include "platform/graphics/Graphics.h"
#include "platform/core/Messages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBarCustomItem;
class TBarItemViewer;
class TBarView;
class TBarPopupWindow;
class TBarPopupView;
class TBarCustomItemActionLink;
class TBarViewAccObject;
class TBarItemViewerAccObject;

class ETBItemError : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------- images

// The pictures of items: a strip of equal-sized images.
class TBarImageList : public TComponent {
public:
    TBarImageList(TComponent *owner, int width, int height) : TComponent(owner), width_(width), height_(height) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int width, int height);
    int Count() const { return static_cast<int>(colors_.size()); }
    // Images are plain colour squares here; a real picture strip can derive.
    void Add(TColor color);
    void Replace(int index, TColor color);
    void Clear();
    virtual void Draw(TCanvas &canvas, int x, int y, int index, bool enabled) const;

    // Whoever shows the images registers a link and is told of every change
    // (size, images added, replaced or removed).
    class TChangeLink {
    public:
        TChangeLink() = default;
        ~TChangeLink() { SetImages(nullptr); }
        TChangeLink(const TChangeLink &) = delete;
        TChangeLink &operator=(const TChangeLink &) = delete;
        TBarImageList *Images() const { return images_; }
        void SetImages(TBarImageList *images);
        std::function<void(TBarImageList *)> OnChange;

    private:
        friend class TBarImageList;
        TBarImageList *images_ = nullptr;
    };
    ~TBarImageList() override;

protected:
    void Change();

private:
    int width_, height_;
    std::vector<TColor> colors_;
    std::vector<TChangeLink *> links_;
};

// ---------------------------------------------------------------- items

enum TBarItemDisplayMode { nbdmDefault, nbdmTextOnly, nbdmTextOnlyInMenus, nbdmImageAndText };

using TBarItemOptions = unsigned;
enum : TBarItemOptions {
    broDefault = 1u << 0,
    broDropdownArrow = 1u << 1,
    broImageAboveCaption = 1u << 2,
    broLongHintInMenuOnly = 1u << 3,
    broNoAutoHint = 1u << 4,
    broNoRotation = 1u << 5,
    broSameWidth = 1u << 6,
    broShowHint = 1u << 7,
    broToolbarStyle = 1u << 8,
    broToolbarSize = 1u << 9,
};

// Item style flags.
enum : unsigned {
    HasSubmenu = 0x0001,
    Selectable = 0x0002,
    Separator = 0x0004,
    InlineGroup = 0x0008,
    NotClickable = 0x0010,
    SubmenuOnArrowOnly = 0x0020,
    NoOpenOnKeySelect = 0x0040,
    SeparatorNoForcedBreak = 0x0100,
    RightAligned = 0x0200,
    NotKeyboardSelectable = 0x0400,
    RedrawOnSelChange = 0x0800,
    RedrawOnHoverChange = 0x1000,
    StretchAcrossLine = 0x2000,
};

enum TBarItemChangedAction : std::uint8_t {
    ItemInserted,
    ItemDeleting,
    SubitemsChanged,
    SubitemsBeginUpdate,
    SubitemsEndUpdate,
    ItemInvalidate,
    ItemInvalidateAndResize,
    RecreateItemViewers,
    ItemNameChanged,
    SubmenuImagesChanged,
};

// A change of an item's children told to the views that show them.
using TBarItemChangedProc = void (*)(TBarView *view, TBarCustomItem *item, bool relayed,
                                     TBarItemChangedAction action, int index, TBarCustomItem *child);

using TBarSelectEvent = std::function<void(TBarCustomItem *item, TBarItemViewer *viewer, bool selecting)>;
using TBarPopupEvent = std::function<void(TBarCustomItem *sender, bool fromLink)>;

// Popup placement alignment for a popup at a point.
enum TBarPopupAlignment : std::uint8_t { tbpaLeft, tbpaRight, tbpaCenter };

struct TBarPopupPositionRec {
    bool PositionAsSubmenu = false;
    TBarPopupAlignment Alignment = tbpaLeft;
    bool OpenLeft = false;
    TRect MonitorRect;
    TRect ParentItemRect;
    TPoint NCSize;
    int X = 0, Y = 0, W = 0, H = 0;
    std::uint8_t AnimateDirection = 0;
    bool PlaySound = true;
};

class TBarCustomItem : public TComponent {
public:
    explicit TBarCustomItem(TComponent *owner = nullptr);
    ~TBarCustomItem() override;

    // Children.
    int Count() const { return static_cast<int>(items_.size()); }
    TBarCustomItem *GetItem(int index) const;
    TBarCustomItem *operator[](int index) const { return GetItem(index); }
    void Add(TBarCustomItem *item) { Insert(Count(), item); }
    void Insert(int index, TBarCustomItem *item);
    void Delete(int index);
    int IndexOf(const TBarCustomItem *item) const;
    void Remove(TBarCustomItem *item);
    void Move(int currentIndex, int newIndex);
    TBarCustomItem *Parent() const { return parent_; }

    void RegisterNotification(TBarItemChangedProc proc, TBarView *view);
    void UnregisterNotification(TBarItemChangedProc proc, TBarView *view);

    // Properties.
    const std::string &Caption() const { return caption_; }
    void SetCaption(const std::string &caption);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool v) { autoCheck_ = v; }
    TBarItemDisplayMode DisplayMode() const { return displayMode_; }
    void SetDisplayMode(TBarItemDisplayMode mode);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }
    const std::string &Hint() const { return hint_; }
    void SetHint(const std::string &hint) { hint_ = hint; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    TBarImageList *Images() const { return images_; }
    void SetImages(TBarImageList *images);
    TBarImageList *SubmenuImages() const { return submenuImages_; }
    void SetSubmenuImages(TBarImageList *images);
    unsigned ItemStyle() const { return itemStyle_; }
    void SetItemStyle(unsigned style) { itemStyle_ = style; }
    TBarItemOptions Options() const { return options_; }
    void SetOptions(TBarItemOptions options);
    TBarItemOptions MaskOptions() const { return maskOptions_; }
    void SetMaskOptions(TBarItemOptions options);
    bool InheritOptions() const { return inheritOptions_; }
    void SetInheritOptions(bool inherit);
    TBarItemOptions EffectiveOptions() const { return effectiveOptions_; }
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool radio);
    // Key code with scShift/scCtrl/scAlt bits.
    int ShortCut() const { return shortCut_; }
    void SetShortCut(int shortCut) { shortCut_ = shortCut; }
    TBarCustomItem *LinkSubitems() const { return linkSubitems_; }
    void SetLinkSubitems(TBarCustomItem *item);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // The action the item shows and runs (nullptr: none).
    TAction *Action() const;
    void SetAction(TAction *action);
    TBarCustomItemActionLink *ActionLink() const { return actionLink_.get(); }
    // Whether OnClick is the execute handler taken from the action.
    bool OnClickIsActionHandler() const;

    // The text shown right of the caption in menus.
    std::string GetShortCutText() const;

    // Virtual operations.
    virtual void Changed(bool requiresResize);
    virtual TBarPopupWindow *CreatePopup(TBarView *parentView, TBarItemViewer *parentViewer, bool positionAsSubmenu,
                                         bool selectFirst, bool customizing, TPoint point,
                                         TBarPopupAlignment alignment);
    virtual void DoPopup(TBarCustomItem *sender, bool fromLink);
    virtual TBarView *GetChevronParentView() { return nullptr; }
    virtual std::unique_ptr<TBarItemViewer> CreateViewer(TBarView *view, int groupDepth);
    virtual void GetPopupPosition(TBarView *parentView, TBarPopupWindow *popup, TBarPopupPositionRec &rec);
    virtual std::unique_ptr<TBarPopupWindow> CreatePopupWindow(TBarView *parentView, bool customizing);
    // The window of a chevron's popup, which shows `shown`'s children.
    virtual std::unique_ptr<TBarPopupWindow> CreateChevronPopupWindow(TBarCustomItem *shown, TBarView *parentView,
        bool customizing);
    virtual bool ViewerNeedsRecreate(TBarItemViewer *) { return false; }
    virtual void Click();
    // Lets the action update the item's state (its update handler runs).
    virtual void InitiateAction();

    TNotifyEvent OnClick;
    TBarPopupEvent OnSubmenuPopup;
    TBarSelectEvent OnSelect;

    // Relayed notifications (used by the tree itself).
    void Notify(TBarItemChangedAction action, int index, TBarCustomItem *child, int relayDepth = 0,
                TBarCustomItem *relayedFrom = nullptr);

protected:
    void Notification(TComponent *component, TOperation operation) override;
    // The parent tells its registrations (ItemNameChanged).
    void NameChanged() override;
    // The link class that ties this item to an action.
    virtual std::unique_ptr<TBarCustomItemActionLink> CreateActionLink();
    // Takes the action's properties; with `checkDefaults` only those still
    // at their default.
    virtual void ActionChange(TAction *action, bool checkDefaults);

private:
    void RecalcOptions();
    void ImagesChanged();
    void SubmenuImagesListChanged();
    void UncheckGroupSiblings();

    struct TRegistration {
        TBarItemChangedProc proc;
        TBarView *view;
        int count;
    };
    std::vector<std::shared_ptr<TRegistration>> notifyList_;
    std::vector<TBarCustomItem *> items_;
    std::vector<TBarCustomItem *> linkParents_;
    std::unique_ptr<TBarCustomItemActionLink> actionLink_;
    TComponent *actionComponent_ = nullptr;
    TBarImageList::TChangeLink imagesLink_, submenuImagesLink_;
    int imagesWidth_ = 0, imagesHeight_ = 0;
    TBarCustomItem *parent_ = nullptr;
    TBarCustomItem *linkSubitems_ = nullptr;
    TBarImageList *images_ = nullptr;
    TBarImageList *submenuImages_ = nullptr;
    std::string caption_;
    std::string hint_;
    TBarItemDisplayMode displayMode_ = nbdmDefault;
    TBarItemOptions options_ = 0, maskOptions_ = 0, effectiveOptions_ = 0;
    unsigned itemStyle_ = Selectable | RedrawOnSelChange | RedrawOnHoverChange;
    int imageIndex_ = -1;
    int groupIndex_ = 0;
    int helpContext_ = 0;
    int shortCut_ = 0;
    bool autoCheck_ = false;
    bool checked_ = false;
    bool enabled_ = true;
    bool inheritOptions_ = true;
    bool radioItem_ = false;
    bool visible_ = true;
};

// Ties an item to an action: a property the action changes reaches the item
// only while the item still shows the action's old value; when the action
// then reports the change, the item takes all of its properties again.
class TBarCustomItemActionLink : public TActionLink {
public:
    explicit TBarCustomItemActionLink(TBarCustomItem *client) : client_(client) {}
    TBarCustomItem *Client() const { return client_; }
    bool IsAutoCheckLinked() const;
    bool IsCaptionLinked() const;
    bool IsCheckedLinked() const;
    bool IsEnabledLinked() const;
    bool IsHelpContextLinked() const;
    bool IsHintLinked() const;
    bool IsImageIndexLinked() const;
    bool IsShortCutLinked() const;
    bool IsVisibleLinked() const;

protected:
    void SetAutoCheck(bool value) override;
    void SetCaption(const std::string &value) override;
    void SetChecked(bool value) override;
    void SetEnabled(bool value) override;
    void SetHelpContext(int value) override;
    void SetHint(const std::string &value) override;
    void SetImageIndex(int value) override;
    void SetShortCut(int value) override;
    void SetVisible(bool value) override;

private:
    TBarCustomItem *client_;
};

class TBarRootItem : public TBarCustomItem {
public:
    using TBarCustomItem::TBarCustomItem;
};

class TBarSeparatorItem : public TBarCustomItem {
public:
    explicit TBarSeparatorItem(TComponent *owner = nullptr);
    bool Blank() const { return blank_; }
    void SetBlank(bool blank);
    std::unique_ptr<TBarItemViewer> CreateViewer(TBarView *view, int groupDepth) override;

private:
    bool blank_ = false;
};

// An item that hosts a control (an edit, a scroll bar) in a toolbar.
class TBarControlItem : public TBarCustomItem {
public:
    explicit TBarControlItem(TComponent *owner = nullptr);
    TBarControlItem(TComponent *owner, TControl *control);
    ~TBarControlItem() override;
    TControl *Control() const { return control_; }
    void SetControl(TControl *control);
    void SetDontFreeControl(bool v) { dontFree_ = v; }

protected:
    void Notification(TComponent *component, TOperation operation) override;

private:
    TControl *control_ = nullptr;
    bool dontFree_ = false;
};

// The item whose children are shown in the item's place: its link target, else itself.
TBarCustomItem *EffectiveItemContainer(TBarCustomItem *item);
// Runs the command whose shortcut is the key (a VK_ code) with the shift state;
// true when handled.
bool ProcessItemShortCut(TBarCustomItem *root, int key, TShiftState shift);

// ---------------------------------------------------------------- deferred calls

// Queues an item's click (or a viewer's default action) to run from the event
// loop, after what runs now (the menu loop) has returned.
void QueueItemClick(TBarCustomItem *item);
void QueueViewerDefaultAction(TBarItemViewer *viewer, unsigned flags);
// Runs a viewer's queued default action (flags 1: carry the item out).
void RunViewerDefaultAction(TBarItemViewer *viewer, unsigned flags);
// Forgets the queued calls of an object that is being freed.
void CancelDeferredCalls(const void *object);
// Whether the hidden window of the queue exists (while items or viewers exist).
bool DeferredCallWindowExists();

enum : unsigned { BARWM_DEFERREDCALL = 0x500, BARWM_POPUPSHOW = 0x62A, BARWM_ANIMATIONSTEP = 0x955,
                  BARWM_ANIMATIONDONE = 0x956 };

// ---------------------------------------------------------------- viewers

class TBarItemViewer {
public:
    TBarItemViewer(TBarView *view, TBarCustomItem *item, int groupDepth);
    virtual ~TBarItemViewer();
    TBarItemViewer(const TBarItemViewer &) = delete;
    TBarItemViewer &operator=(const TBarItemViewer &) = delete;

    TBarCustomItem *Item() const { return item_; }
    TBarView *View() const { return view_; }
    int GroupDepth() const { return groupDepth_; }
    const TRect &BoundsRect() const { return bounds_; }
    bool Show() const { return show_; }
    bool OffEdge() const { return offEdge_; }
    bool Clipped() const { return clipped_; }
    bool LineBreak() const { return (state_ & 0x02) != 0; }

    bool IsAccessible() const { return show_ || offEdge_ || clipped_; }
    virtual bool CaptionShown() const;
    bool ImageShown() const;
    bool IsRotated() const;
    TBarImageList *GetImageList() const;

    virtual void CalcSize(TCanvas &canvas, int &width, int &height);
    virtual bool DoExecute();
    virtual void DrawItemCaption(TCanvas &canvas, TRect rect, const std::string &caption, bool embossed,
                                 unsigned format);
    virtual void SelectionEntered();
    virtual int GetAccRole() const;
    virtual std::string GetCaptionText() const;
    virtual bool UsesToolbarSize() const;
    virtual bool IsPtInButtonPart(int x, int y) const;
    virtual void KeyDown(int &, TShiftState) {}
    virtual void SelectionLeft();
    void Invalidate();
    virtual void MouseDown(TShiftState shift, int x, int y, bool &closeOnRelease);
    virtual void MouseMove(int, int) {}
    virtual void MouseUp(int x, int y, bool closeOnRelease);
    virtual void MouseWheel(int, int, int, bool &) {}
    virtual void Paint(TCanvas &canvas, const TRect &clientRect, bool embossed, bool pushed, bool selected);
    virtual bool UsesSameWidth() const;
    virtual bool UsesToolbarStyle() const;
    virtual bool IsSeparatorViewer() const { return false; }

    void Execute(bool givePriority);
    TPoint ScreenToViewer(TPoint screen) const;
    std::string GetViewerHint() const;

    // Accessibility (BarAcc.cpp): the viewer's value text, when it has one;
    // its object, made on first request and kept while clients hold it; the
    // default action queued to run after the current call.
    virtual bool GetAccValue(std::string &) const { return false; }
    std::shared_ptr<TBarItemViewerAccObject> GetAccObject();
    void PostAccDoDefaultAction(unsigned flags);

private:
    friend class TBarView;
    void DetachAccObject();
    std::weak_ptr<TBarItemViewerAccObject> accObject_;
    TRect bounds_;
    bool clipped_ = false;
    int groupDepth_;
    TBarCustomItem *item_;
    bool offEdge_ = false;
    bool show_ = false;
    TBarView *view_;
    unsigned state_ = 0;

protected:
    void SetDirty(bool dirty) { state_ = dirty ? (state_ | 1u) : (state_ & ~1u); }
    bool Dirty() const { return state_ & 1u; }
};

class TBarSeparatorItemViewer : public TBarItemViewer {
public:
    using TBarItemViewer::TBarItemViewer;
    void CalcSize(TCanvas &canvas, int &width, int &height) override;
    void Paint(TCanvas &canvas, const TRect &clientRect, bool embossed, bool pushed, bool selected) override;
    bool UsesSameWidth() const override { return false; }
    bool IsSeparatorViewer() const override { return true; }
};

// The width of the submenu arrow of a split toolbar item.
constexpr int kToolbarArrowWidth = 11;

#include "toolbar/BarView.h"
