#include "platform/widgets/TabControl.h"

#include "platform/kernel/Application.h"
#include "platform/kernel/QtControls.h"

#include <QTabBar>
#include <QToolButton>

#include <algorithm>

TTabControl::TTabControl(TComponent *owner) : TWinControl(owner)
{
    SetBounds(0, 0, 289, 24);
    SetTabStop(true);
}

void TTabControl::SetTabs(const std::vector<std::string> &tabs)
{
    tabs_ = tabs;
    if (tabIndex_ >= static_cast<int>(tabs_.size()))
        tabIndex_ = -1;
    if (tabIndex_ < 0 && !tabs_.empty())
        tabIndex_ = 0;
    Sync();
}

void TTabControl::SetTabIndex(int index)
{
    if (index < -1 || index >= static_cast<int>(tabs_.size()))
        return;
    tabIndex_ = index;
    Sync();
}

std::string TTabControl::SelectedText() const
{
    return tabIndex_ >= 0 ? tabs_[static_cast<size_t>(tabIndex_)] : std::string();
}

void TTabControl::ChosenInWindow(int index)
{
    if (syncing_ || index == tabIndex_)
        return;
    Application().Guard([&] {
        if (OnChanging) {
            // The tab chosen before stays shown while the handler decides.
            ShowChosenTab();
            bool allowChange = true;
            OnChanging(this, index, allowChange);
            if (!allowChange)
                return;
        }
        tabIndex_ = index;
        ShowChosenTab();
        if (OnChange)
            OnChange(this);
    });
}

TRect TTabControl::TabRect(int index) const
{
    if (!HandleAllocated())
        return TRect{};
    QRect r = static_cast<QTabBar *>(Link()->Widget())->tabRect(index);
    return TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

bool TTabControl::ScrollArrowsShown() const
{
    if (!HandleAllocated())
        return false;
    const auto *bar = static_cast<QTabBar *>(Link()->Widget());
    const auto arrows = bar->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly);
    return std::any_of(arrows.begin(), arrows.end(), [](const QToolButton *arrow) { return !arrow->isHidden(); });
}

void TTabControl::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *bar = new QTabBar(parentWidget);
    bar->setExpanding(false);
    bar->setDrawBase(false);
    bar->setElideMode(Qt::ElideNone);
    // Whatever the style prefers, a row that does not fit scrolls rather than squeezing its tabs.
    bar->setUsesScrollButtons(true);
    // A click focuses the row too, so that Left and Right go on from the tab clicked.
    bar->setFocusPolicy(Qt::StrongFocus);
    link_ = std::make_unique<TWidgetLink>(this, bar);
    link_->SetNative(true);
    QObject::connect(bar, &QTabBar::currentChanged, bar, [this](int index) { ChosenInWindow(index); });
}

void TTabControl::InitializeHandle()
{
    TWinControl::InitializeHandle();
    Sync();
}

void TTabControl::Sync()
{
    if (!HandleAllocated())
        return;
    syncing_ = true;
    auto *bar = static_cast<QTabBar *>(Link()->Widget());
    while (bar->count() > 0)
        bar->removeTab(0);
    for (const std::string &tab : tabs_)
        bar->addTab(QStr(tab));
    if (tabWidth_ > 0)
        // The width is the whole tab, as the class library counts it: no padding beside the text.
        bar->setStyleSheet(QString("QTabBar::tab { width: %1px; padding-left: 0px; padding-right: 0px; }").arg(tabWidth_));
    syncing_ = false;
    ShowChosenTab();
}

void TTabControl::ShowChosenTab()
{
    if (!HandleAllocated())
        return;
    syncing_ = true;
    static_cast<QTabBar *>(Link()->Widget())->setCurrentIndex(tabIndex_);
    syncing_ = false;
}
