#include "platform/kernel/Forms.h"

#include "platform/kernel/Accessibility.h"
#include "platform/kernel/Application.h"
#include "platform/core/Menus.h"
#include "platform/graphics/QtCanvas.h"
#include "platform/kernel/QtControls.h"
#include "platform/core/Services.h"

#include <QApplication>
#include <QBitmap>
#include <QEventLoop>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <map>

namespace {

std::map<int, QCursor> &CursorImages()
{
    static std::map<int, QCursor> images;
    return images;
}

} // namespace

QCursor QtCursor(TCursor cursor)
{
    if (cursor > 0) {
        auto it = CursorImages().find(cursor);
        if (it != CursorImages().end())
            return it->second;
        return QCursor(Qt::ArrowCursor);
    }
    switch (cursor) {
    case crNone: return QCursor(Qt::BlankCursor);
    case crCross: return QCursor(Qt::CrossCursor);
    case crIBeam: return QCursor(Qt::IBeamCursor);
    case crSizeNESW: return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS: return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE: return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE: return QCursor(Qt::SizeHorCursor);
    case crUpArrow: return QCursor(Qt::UpArrowCursor);
    case crHourGlass: return QCursor(Qt::WaitCursor);
    case crDrag: return QCursor(Qt::DragMoveCursor);
    case crNoDrop: return QCursor(Qt::ForbiddenCursor);
    case crHSplit: return QCursor(Qt::SplitHCursor);
    case crVSplit: return QCursor(Qt::SplitVCursor);
    case crHandPoint: return QCursor(Qt::PointingHandCursor);
    case crSizeAll: return QCursor(Qt::SizeAllCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}

// ---------------------------------------------------------------- TScreen

TScreen &Screen()
{
    static TScreen screen;
    return screen;
}

void TScreen::SetCursor(TCursor cursor)
{
    if (cursor == cursor_)
        return;
    if (cursor_ != crDefault && QApplication::instance())
        QApplication::restoreOverrideCursor();
    cursor_ = cursor;
    if (cursor_ != crDefault && QApplication::instance())
        QApplication::setOverrideCursor(QtCursor(cursor_));
}

void TScreen::SetCursorImage(int index, const std::vector<std::string> &rows, int hotX, int hotY)
{
    int height = static_cast<int>(rows.size());
    int width = 0;
    for (const std::string &row : rows)
        width = std::max(width, static_cast<int>(row.size()));
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < static_cast<int>(rows[static_cast<size_t>(y)].size()); ++x) {
            char c = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
            if (c == 'X')
                image.setPixel(x, y, qRgba(0, 0, 0, 255));
            else if (c == 'o')
                image.setPixel(x, y, qRgba(255, 255, 255, 255));
        }
    CursorImages()[index] = QCursor(QPixmap::fromImage(image), hotX, hotY);
}

bool TScreen::HasCursorImage(int index) const
{
    return CursorImages().count(index) > 0;
}

int TScreen::Width() const
{
    QScreen *screen = QApplication::primaryScreen();
    return screen ? screen->geometry().width() : Services().SystemMetric(0);
}

int TScreen::Height() const
{
    QScreen *screen = QApplication::primaryScreen();
    return screen ? screen->geometry().height() : Services().SystemMetric(1);
}

std::vector<std::string> TScreen::Fonts() const
{
    return Services().FontNames();
}

TCustomForm *TScreen::ActiveForm() const
{
    QWidget *active = QApplication::activeWindow();
    return active ? dynamic_cast<TCustomForm *>(TWidgetLink::ControlOf(active)) : nullptr;
}

// ---------------------------------------------------------------- TCustomForm

TCustomForm::TCustomForm(TComponent *owner) : TWinControl(owner)
{
    TControl::SetVisible(false);
}

TCustomForm::~TCustomForm()
{
    SetMenu(nullptr);
}

void TCustomForm::Notification(TComponent *component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == menu_) {
        menu_ = nullptr;
        RebuildMenuBar();
    }
}

void TCustomForm::DestroyHandle()
{
    menuBar_ = nullptr; // a child of the window, freed with it
    TWinControl::DestroyHandle();
}

int TCustomForm::MenuHeight() const
{
    if (!menu_)
        return 0;
    if (menuBar_)
        return static_cast<QMenuBar *>(menuBar_)->sizeHint().height();
    return Services().SystemMetric(15);
}

void TCustomForm::SetMenu(TMainMenu *menu)
{
    if (menu_ == menu)
        return;
    if (menu_) {
        menu_->Items()->OnChange = nullptr;
        RemoveFreeNotification(menu_);
    }
    menu_ = menu;
    if (menu_) {
        FreeNotification(menu_);
        menu_->Items()->OnChange = [this](TMenuItem *) { ScheduleMenuRebuild(); };
    }
    RebuildMenuBar();
    Realign();
}

// Menu changes often come from a menu command's own handler; the bar is rebuilt
// after the handler has returned, never under the action that is running.
void TCustomForm::ScheduleMenuRebuild()
{
    if (menuRebuildPending_ || !HandleAllocated())
        return;
    menuRebuildPending_ = true;
    std::uint64_t serial = Serial();
    QMetaObject::invokeMethod(Link()->Widget(), [serial] {
        if (auto *form = dynamic_cast<TCustomForm *>(TControl::FindBySerial(serial))) {
            form->menuRebuildPending_ = false;
            form->RebuildMenuBar();
        }
    }, Qt::QueuedConnection);
}

void TCustomForm::RebuildMenuBar()
{
    if (!HandleAllocated())
        return;
    auto *bar = static_cast<QMenuBar *>(menuBar_);
    if (!menu_) {
        delete bar;
        menuBar_ = nullptr;
        return;
    }
    if (!bar) {
        bar = NewQtMenuBar(Link()->Widget());
        static_cast<QVBoxLayout *>(Link()->Widget()->layout())->insertWidget(0, bar);
        menuBar_ = bar;
    }
    FillQtMenuBar(*bar, *menu_->Items());
}

bool TCustomForm::ToggleMenuKeyboardMode()
{
    auto *bar = static_cast<QMenuBar *>(menuBar_);
    if (!bar || !bar->isVisible() || !Enabled())
        return false;
    ToggleMenuBarKeyboardMode(*bar);
    return true;
}

void TCustomForm::EndMenuKeyboardMode()
{
    if (auto *bar = static_cast<QMenuBar *>(menuBar_))
        EndMenuBarKeyboardMode(*bar);
}

bool TCustomForm::OpenMenuTitle(char32_t ch)
{
    auto *bar = static_cast<QMenuBar *>(menuBar_);
    if (!bar || !bar->isVisible() || !Enabled())
        return false;
    return OpenMenuBarTitle(*bar, ch);
}

void TCustomForm::SetWindowState(TWindowState state)
{
    windowState_ = state;
    if (!HandleAllocated())
        return;
    QWidget *w = Link()->Widget();
    if (state == wsMaximized)
        w->setWindowState(Qt::WindowMaximized);
    else if (state == wsMinimized)
        w->setWindowState(Qt::WindowMinimized);
    else
        w->setWindowState(Qt::WindowNoState);
}

void TCustomForm::CreateHandle()
{
    auto *outer = new QWidget(nullptr);
    auto *layout = new QVBoxLayout(outer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *client = new TQtWindow(this, outer);
    layout->addWidget(client, 1);
    link_ = std::make_unique<TWidgetLink>(this, outer, client);
    if (borderStyle_ == bsNone)
        outer->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    else if (borderStyle_ == bsDialog)
        // A dialog's border: a title and a close button, neither minimised nor maximised.
        outer->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                              | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    else if (borderStyle_ == bsSingle)
        outer->setWindowFlags(Qt::Dialog);
    if (formStyle_ == fsStayOnTop)
        outer->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void TCustomForm::SetFormStyle(TFormStyle style)
{
    if (formStyle_ == style)
        return;
    formStyle_ = style;
    if (!HandleAllocated())
        return;
    SetStaysOnTop(*Link()->Widget(), style == fsStayOnTop);
}

void TCustomForm::InitializeHandle()
{
    QWidget *outer = Link()->Widget();
    syncing_ = true;
    outer->setWindowTitle(QStr(Caption()));
    outer->setFont(ToQFont(Font()));
    if (menu_)
        RebuildMenuBar();
    int left = Left(), top = Top();
    const TCustomForm *main = Application().MainForm();
    if (position_ == poMainFormCenter && main && main != this && main->HandleAllocated()) {
        left = main->Left() + (main->Width() - Width()) / 2;
        top = main->Top() + (main->Height() - Height()) / 2;
    } else if (position_ == poScreenCenter || position_ == poMainFormCenter) {
        left = (Screen().Width() - Width()) / 2;
        top = (Screen().Height() - Height()) / 2;
    }
    KeepFixedSize();
    outer->resize(Width(), Height());
    outer->move(left, top);
    syncing_ = false;
    if (windowState_ != wsNormal)
        SetWindowState(windowState_);
}

bool TCustomForm::FixedSize() const { return borderStyle_ == bsDialog || borderStyle_ == bsSingle; }

int TCustomForm::AccessibleRole() const { return FixedSize() || modal_ ? ROLE_SYSTEM_DIALOG : ROLE_SYSTEM_WINDOW; }

// The window system lets nobody resize (or maximise) a window whose smallest
// and largest sizes are its size.
void TCustomForm::KeepFixedSize()
{
    if (FixedSize() && HandleAllocated())
        Link()->Widget()->setFixedSize(Width(), Height());
}

void TCustomForm::BoundsChanged()
{
    KeepFixedSize();
    TWinControl::BoundsChanged();
}

void TCustomForm::SetText(const std::string &text)
{
    TWinControl::SetText(text);
    if (HandleAllocated())
        Link()->Widget()->setWindowTitle(QStr(text));
}

void TCustomForm::VisibleChanged()
{
    if (Visible())
        HandleNeeded();
    if (!HandleAllocated())
        return;
    QWidget *w = Link()->Widget();
    w->setVisible(Visible());
    if (Visible() && OnShow)
        OnShow(this);
    // A window shown for the first time gives the focus to its first tab stop
    // (the toolkit would take the first control that takes any focus, such as
    // a button kept out of the tab order), unless OnShow chose one.
    if (Visible() && !w->focusWidget())
        SelectNext(nullptr, true);
}

void TCustomForm::ShowForm()
{
    SetVisible(true);
    if (HandleAllocated()) {
        Link()->Widget()->raise();
        Link()->Widget()->activateWindow();
    }
}

TModalResult TCustomForm::ShowModal()
{
    modalResult_ = mrNone;
    modal_ = true;
    HandleNeeded();
    Link()->Widget()->setWindowModality(Qt::ApplicationModal);
    SetVisible(true);
    QEventLoop loop;
    while (modalResult_ == mrNone && Visible()) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
        if (modalResult_ != mrNone) {
            // Closing through the result asks the form as Close does.
            TModalResult result = modalResult_;
            if (!CloseQuery()) {
                modalResult_ = mrNone;
                continue;
            }
            modalResult_ = result;
        }
    }
    if (modalResult_ == mrNone)
        modalResult_ = mrCancel;
    SetVisible(false);
    if (HandleAllocated())
        Link()->Widget()->setWindowModality(Qt::NonModal);
    modal_ = false;
    return modalResult_;
}

namespace {

void CollectWindows(TWinControl *parent, std::vector<TWinControl *> &list)
{
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto *win = dynamic_cast<TWinControl *>(parent->Controls(i))) {
            list.push_back(win);
            CollectWindows(win, list);
        }
}

} // namespace

bool TCustomForm::DialogKey(int key)
{
    std::vector<TWinControl *> windows;
    CollectWindows(this, windows);
    for (TWinControl *win : windows)
        if (SendMessage(win, CM_DIALOGKEY, static_cast<WPARAM>(key)) != 0)
            return true;
    return false;
}

bool TCustomForm::IsShortCut(int shortCut)
{
    TMenuItem *item = menu_ ? menu_->FindShortCut(shortCut) : nullptr;
    if (!item)
        return false;
    // The command runs with the keyboard where it was before Alt or F10: a
    // dialog it opens would otherwise give it back to the bar, which then
    // takes the keys with no title highlighted.
    EndMenuKeyboardMode();
    item->Click();
    return true;
}

bool TCustomForm::DialogChar(int key)
{
    std::vector<TWinControl *> windows;
    CollectWindows(this, windows);
    for (TWinControl *win : windows)
        if (SendMessage(win, CM_DIALOGCHAR, static_cast<WPARAM>(key)) != 0)
            return true;
    return false;
}

bool IsAccel(int key, const std::string &caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        char next = caption[i + 1];
        if (next == '&') {
            ++i;
            continue;
        }
        return std::toupper(static_cast<unsigned char>(next)) == key;
    }
    return false;
}

void TCustomForm::SelectNext(TWinControl *current, bool forward)
{
    std::vector<TWinControl *> windows;
    CollectWindows(this, windows);
    auto focusable = [](TWinControl *w) { return w->TabStop() && w->CanFocus() && w->InTabOrder(); };
    std::vector<TWinControl *> stops;
    for (TWinControl *w : windows)
        if (focusable(w) || w == current)
            stops.push_back(w);
    if (stops.empty())
        return;
    auto it = std::find(stops.begin(), stops.end(), current);
    size_t at = it == stops.end() ? stops.size() - 1 : static_cast<size_t>(it - stops.begin());
    for (size_t step = 1; step <= stops.size(); ++step) {
        size_t i = forward ? (at + step) % stops.size() : (at + stops.size() - step) % stops.size();
        if (stops[i] != current && focusable(stops[i])) {
            stops[i]->SetFocus();
            return;
        }
    }
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (modal_) {
        if (!CloseQuery())
            return;
        TCloseAction action = caHide;
        if (OnClose)
            OnClose(this, action);
        if (action != caNone) {
            modalResult_ = modalResult_ == mrNone ? mrCancel : modalResult_;
            SetVisible(false);
        }
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    if (OnClose)
        OnClose(this, action);
    if (action == caNone)
        return;
    SetVisible(false);
    if (Application().MainForm() == this)
        Application().Terminate();
    else if (action == caFree)
        Release();
}

void TCustomForm::Release()
{
    // Without an event loop nothing can be deferred; the owner frees the form.
    PostMessage(this, CM_RELEASE);
}

void TCustomForm::WndProc(TMessage &message)
{
    if (message.Msg == CM_RELEASE) {
        delete this;
        return;
    }
    TWinControl::WndProc(message);
}

TWindowPlacement FitPlacementToScreens(TWindowPlacement p, const std::vector<TRect> &screens)
{
    const std::vector<TRect> fallback{TRect{0, 0, 1024, 768}};
    const std::vector<TRect> &areas = screens.empty() ? fallback : screens;
    // The sums are made in 64 bits: the rectangle's values may be the extremes of int.
    long long left = p.normalLeft, top = p.normalTop;
    long long width = 1LL * p.normalRight - left, height = 1LL * p.normalBottom - top;
    if (width <= 0 || height <= 0)
        return p;
    TRect desktop = areas.front();
    for (const TRect &s : areas) {
        desktop.Left = std::min(desktop.Left, s.Left);
        desktop.Top = std::min(desktop.Top, s.Top);
        desktop.Right = std::max(desktop.Right, s.Right);
        desktop.Bottom = std::max(desktop.Bottom, s.Bottom);
    }
    width = std::min<long long>(width, desktop.Width());
    height = std::min<long long>(height, desktop.Height());
    auto onScreen = [&](const TRect &s) {
        return left < s.Right && left + width > s.Left && top < s.Bottom && top + height > s.Top;
    };
    if (std::none_of(areas.begin(), areas.end(), onScreen)) {
        const TRect &s = areas.front();
        left = std::clamp<long long>(left, s.Left, std::max<long long>(s.Left, s.Right - width));
        top = std::clamp<long long>(top, s.Top, std::max<long long>(s.Top, s.Bottom - height));
    }
    p.normalLeft = static_cast<int>(left);
    p.normalTop = static_cast<int>(top);
    p.normalRight = static_cast<int>(left + width);
    p.normalBottom = static_cast<int>(top + height);
    return p;
}

std::vector<TRect> ScreenRects()
{
    std::vector<TRect> rects;
    if (!QGuiApplication::instance())
        return rects;
    QScreen *primary = QGuiApplication::primaryScreen();
    for (QScreen *screen : QGuiApplication::screens()) {
        QRect g = screen->geometry();
        TRect r{g.left(), g.top(), g.right() + 1, g.bottom() + 1};
        if (screen == primary)
            rects.insert(rects.begin(), r);
        else
            rects.push_back(r);
    }
    return rects;
}

TWindowPlacement TCustomForm::GetWindowPlacement() const
{
    TWindowPlacement p;
    p.showCmd = windowState_ == wsMaximized ? SW_SHOWMAXIMIZED : windowState_ == wsMinimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    TRect r = windowState_ == wsNormal || normalBounds_.IsEmpty() ? BoundsRect() : normalBounds_;
    p.normalLeft = r.Left;
    p.normalTop = r.Top;
    p.normalRight = r.Right;
    p.normalBottom = r.Bottom;
    return p;
}

void TCustomForm::SetWindowPlacement(const TWindowPlacement &placement)
{
    TRect r{placement.normalLeft, placement.normalTop, placement.normalRight, placement.normalBottom};
    if (!r.IsEmpty())
        SetBounds(r.Left, r.Top, r.Width(), r.Height());
    normalBounds_ = BoundsRect();
    SetWindowState(placement.showCmd == SW_SHOWMAXIMIZED ? wsMaximized
                   : placement.showCmd == SW_SHOWMINIMIZED ? wsMinimized : wsNormal);
}

void TCustomForm::WindowResized(int width, int height)
{
    if (syncing_)
        return;
    QWidget *w = Link()->Widget();
    windowState_ = w->isMaximized() ? wsMaximized : w->isMinimized() ? wsMinimized : wsNormal;
    syncing_ = true;
    SetBounds(Left(), Top(), width, height);
    if (windowState_ == wsNormal)
        normalBounds_ = BoundsRect();
    syncing_ = false;
}

void TCustomForm::WindowMoved(int x, int y)
{
    if (syncing_)
        return;
    syncing_ = true;
    left_ = x;
    top_ = y;
    if (windowState_ == wsNormal)
        normalBounds_ = BoundsRect();
    syncing_ = false;
}

void TCustomForm::MouseWheel(TShiftState shift, int delta, TPoint screen)
{
    bool handled = false;
    if (delta > 0 && OnMouseWheelUp)
        OnMouseWheelUp(this, shift, screen, handled);
    else if (delta < 0 && OnMouseWheelDown)
        OnMouseWheelDown(this, shift, screen, handled);
}

// ---------------------------------------------------------------- TScrollBox

void TControlScrollBar::SetRange(int range)
{
    range_ = std::max(0, range);
    box_->Realign();
    box_->UpdateScrollArea();
}

int TControlScrollBar::MaxPosition() const
{
    int extent = vertical_ ? box_->ClientHeight() : box_->ClientWidth();
    return std::max(0, range_ - extent);
}

void TControlScrollBar::SetPosition(int position)
{
    const int before = position_;
    position_ = std::clamp(position, 0, MaxPosition());
    box_->UpdateScrollArea();
    // With a window the toolkit reports the scroll; without one it is told here.
    if (vertical_ && !box_->HandleAllocated() && position_ != before) {
        UpdateOnDemandWindows();
        if (box_->OnScroll)
            box_->OnScroll(box_);
    }
}

void TControlScrollBar::SetVisible(bool visible)
{
    visible_ = visible;
    box_->Realign();
    box_->UpdateScrollArea();
}

TScrollBox::TScrollBox(TComponent *owner) : TWinControl(owner)
{
    SetColor(clBtnFace);
}

bool TScrollBox::VertBarShown() const
{
    return vert_.Visible() && vert_.Range() > Height() - 4;
}

int TScrollBox::ClientWidth() const
{
    return std::max(0, Width() - 4 - (VertBarShown() ? Services().SystemMetric(2) : 0));
}

int TScrollBox::ClientHeight() const
{
    return std::max(0, Height() - 4 - (HorzBarShown() ? Services().SystemMetric(3) : 0));
}

// A horizontal range wider than the box shows the horizontal bar (no control
// sets one except a page preview).
bool TScrollBox::HorzBarShown() const
{
    return horz_.Visible() && horz_.Range() > Width() - 4;
}

TRect TScrollBox::AlignRect() const
{
    return TRect{0, 0, std::max(ClientWidth(), horz_.Range()), std::max(ClientHeight(), vert_.Range())};
}

TRect TScrollBox::ViewRect() const
{
    return TRect{0, vert_.Position(), ClientWidth(), vert_.Position() + ClientHeight()};
}

void TScrollBox::ScrollInView(const TControl &control)
{
    int top = 0;
    const TControl *c = &control;
    for (; c && c != this; c = c->Parent())
        top += c->Top();
    if (!c)
        return;
    const int position = vert_.Position();
    const int above = top - position;
    const int below = top + control.Height() - (position + ClientHeight());
    if (above < 0)
        vert_.SetPosition(top);
    else if (below > 0)
        vert_.SetPosition(position + std::min(below, above));
}

void TScrollBox::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *area = new QScrollArea(parentWidget);
    area->setFrameShape(QFrame::Panel);
    area->setFrameShadow(QFrame::Sunken);
    area->setLineWidth(2);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new TQtWindow(this, nullptr);
    area->setWidget(content);
    area->setWidgetResizable(false);
    link_ = std::make_unique<TWidgetLink>(this, area, content);
    link_->WatchWidget(area->viewport());
    QObject::connect(area->verticalScrollBar(), &QScrollBar::valueChanged, area, [this](int value) {
        vert_.PositionScrolled(value);
        Application().Guard([] { UpdateOnDemandWindows(); });
        if (OnScroll)
            Application().Guard([this] { OnScroll(this); });
    });
    QObject::connect(area->horizontalScrollBar(), &QScrollBar::valueChanged, area,
                     [this](int value) { horz_.PositionScrolled(value); });
}

void TScrollBox::InitializeHandle()
{
    TWinControl::InitializeHandle();
    UpdateScrollArea();
}

void TScrollBox::BoundsChanged()
{
    TWinControl::BoundsChanged();
    UpdateScrollArea();
    UpdateOnDemandWindows();
}

void TScrollBox::UpdateScrollArea()
{
    if (!HandleAllocated())
        return;
    auto *area = static_cast<QScrollArea *>(Link()->Widget());
    TRect r = AlignRect();
    area->setVerticalScrollBarPolicy(!vert_.Visible() ? Qt::ScrollBarAlwaysOff
                                     : VertBarShown() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    Link()->Client()->resize(r.Width(), r.Height());
    area->setHorizontalScrollBarPolicy(HorzBarShown() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    area->verticalScrollBar()->setSingleStep(vert_.Increment());
    area->verticalScrollBar()->setValue(vert_.Position());
    area->horizontalScrollBar()->setSingleStep(horz_.Increment());
    area->horizontalScrollBar()->setValue(horz_.Position());
}
