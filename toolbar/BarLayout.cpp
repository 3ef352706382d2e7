// The layout of a view: which viewers show, their sizes, hiding behind the
// chevron, wrapping into lines, alignment within lines, mirroring of vertical
// layouts and the scrolling of tall popups.
#include "toolbar/BarItem.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// One viewer's result; the records of a run live in one zero-filled block.
struct TViewerLayout {
    TRect bounds;
    bool show, offEdge, lineBreak, clipped, sameWidth;
};

bool IsSeparatorItem(const TBarCustomItem *item) { return (item->ItemStyle() & Separator) != 0; }

// A canvas that only measures: text through a one-pixel bitmap's canvas, and
// the font's metrics remembered for the fonts of the run, so that measuring
// many items does not ask for the same metrics again.
class TMeasureCanvas : public TNullCanvas {
public:
    TSize TextExtent(const std::string &text) override
    {
        TCached &font = ForFont();
        auto it = font.extents.find(text);
        if (it != font.extents.end())
            return it->second;
        if (font.extents.size() >= 4096)
            font.extents.clear();
        TCanvas &real = Real();
        real.Font().Assign(Font());
        return font.extents[text] = real.TextExtent(text);
    }
    TTextMetric TextMetrics() override { return ForFont().metric; }

private:
    struct TCached {
        std::string name;
        int height;
        TFontStyles style;
        TTextMetric metric;
        std::unordered_map<std::string, TSize> extents;
    };
    TCached &ForFont()
    {
        const TFont &f = Font();
        for (TCached &c : cache_)
            if (c.name == f.Name() && c.height == f.Height() && c.style == f.Style())
                return c;
        TCanvas &real = Real();
        real.Font().Assign(f);
        if (cache_.size() >= 4)
            cache_.clear();
        cache_.push_back(TCached{f.Name(), f.Height(), f.Style(), real.TextMetrics(), {}});
        return cache_.back();
    }
    static TCanvas &Real()
    {
        static TBitmap bitmap(1, 1);
        return bitmap.Canvas();
    }
    std::vector<TCached> cache_;
};

TMeasureCanvas &MeasureCanvas()
{
    static TMeasureCanvas canvas;
    return canvas;
}

class TLayoutRun {
public:
    TLayoutRun(TBarView &view, TViewerLayout *rec, int count, TBarViewOrientation orientation, int wrapLength,
               const TRect &margins, bool chevronPopup)
        : view_(view), rec_(rec), count_(count), orientation_(orientation), wrapLength_(wrapLength),
          margins_(margins), chevronPopup_(chevronPopup), cursor_{margins.Left, margins.Top}
    {
    }

    bool Vertical() const { return orientation_ == tbvoVertical; }
    int Along(const TRect &r) const { return Vertical() ? r.Height() : r.Width(); }

    void Place(int i, TSize &total)
    {
        TViewerLayout &r = rec_[i];
        if (lineStart_ < 0) {
            lineStart_ = i;
            lineW_ = lineH_ = 0;
        }
        int position = Vertical() ? cursor_.Y : cursor_.X;
        if (wrapLength_ > 0 && position > 0) {
            int end = position + Along(r.bounds);
            TBarCustomItem *item = view_.Viewers(i)->Item();
            if (IsSeparatorItem(item)) {
                int groupEnd = end;
                for (int k = i + 1; k < count_; ++k) {
                    if (!rec_[k].show)
                        continue;
                    if (IsSeparatorItem(view_.Viewers(k)->Item()))
                        break;
                    groupEnd += Along(rec_[k].bounds);
                }
                bool forced = justWrapped_ && !(item->ItemStyle() & SeparatorNoForcedBreak);
                if (forced || groupEnd > wrapLength_) {
                    ++lineCount_;
                    if (Vertical()) {
                        cursor_ = TPoint{cursor_.X + lineW_, 0};
                    } else {
                        cursor_ = TPoint{0, cursor_.Y + lineH_};
                    }
                    Finish(i - 1, false, total);
                    lineStart_ = i + 1;
                    lineW_ = lineH_ = 0;
                    r.lineBreak = true;
                    r.bounds = Vertical() ? Bounds(cursor_.X, cursor_.Y, 6, 0) : Bounds(cursor_.X, cursor_.Y, 0, 6);
                    cursor_ = Vertical() ? TPoint{cursor_.X + 6, margins_.Top} : TPoint{margins_.Left, cursor_.Y + 6};
                    justWrapped_ = false;
                    wrapped_ = true;
                    Grow(r.bounds, total);
                    return;
                }
            } else if (end > wrapLength_) {
                ++lineCount_;
                cursor_ = Vertical() ? TPoint{cursor_.X + lineW_, margins_.Top} : TPoint{margins_.Left, cursor_.Y + lineH_};
                justWrapped_ = true;
                wrapped_ = true;
                Finish(i - 1, false, total);
                lineStart_ = i;
                lineW_ = lineH_ = 0;
            }
        }
        lineW_ = std::max(lineW_, r.bounds.Width());
        lineH_ = std::max(lineH_, r.bounds.Height());
        OffsetRect(r.bounds, std::max(0, cursor_.X), std::max(0, cursor_.Y));
        Grow(r.bounds, total);
    }

    void NewRow(int y) { cursor_ = TPoint{margins_.Left, y}; }

    void Advance(int i, bool toolbarSized)
    {
        const TRect &b = rec_[i].bounds;
        if (toolbarSized && !Vertical())
            cursor_.X += b.Width();
        else
            cursor_.Y += b.Height();
    }

    void Grow(const TRect &b, TSize &total)
    {
        total.cx = std::max(total.cx, b.Right);
        total.cy = std::max(total.cy, b.Bottom);
    }

    void Finish(int lastIndex, bool isLast, TSize &total)
    {
        if (lineStart_ < 0)
            return;
        if (wrapped_ && !chevronPopup_ && orientation_ != tbvoFloating) {
            if (Vertical())
                total.cy = std::max(total.cy, wrapLength_);
            else
                total.cx = std::max(total.cx, wrapLength_);
        }
        int lineW = lineW_, lineH = lineH_;
        bool toolbar = view_.IsToolbar();
        if (toolbar && isLast && !wrapped_ && orientation_ != tbvoFloating) {
            lineW = std::max(lineW, total.cx);
            lineH = std::max(lineH, total.cy);
        }
        for (int i = lineStart_; i <= lastIndex && i < count_; ++i) {
            TViewerLayout &r = rec_[i];
            if (!r.show || r.lineBreak)
                continue;
            TBarItemViewer *v = view_.Viewers(i);
            if (toolbar) {
                if (v->Item()->ItemStyle() & (Separator | StretchAcrossLine)) {
                    if (Vertical())
                        r.bounds.Right = r.bounds.Left + lineW;
                    else
                        r.bounds.Bottom = r.bounds.Top + lineH;
                } else if (Vertical())
                    OffsetRect(r.bounds, (lineW - r.bounds.Width()) / 2, 0);
                else
                    OffsetRect(r.bounds, 0, (lineH - r.bounds.Height()) / 2);
            } else if (!v->UsesToolbarSize())
                r.bounds.Right = r.bounds.Left + lineW;
        }
        // Right alignment: the rest of the line from the first right-aligned item.
        int first = -1, lastShown = -1;
        for (int i = lineStart_; i <= lastIndex && i < count_; ++i) {
            if (!rec_[i].show)
                continue;
            if (first < 0 && (view_.Viewers(i)->Item()->ItemStyle() & RightAligned))
                first = i;
            lastShown = i;
        }
        if (first >= 0 && lastShown >= 0) {
            int totalLength = Vertical() ? total.cy : total.cx;
            int limit = wrapLength_ > 0 ? std::min(wrapLength_, totalLength) : totalLength;
            int far = Vertical() ? rec_[lastShown].bounds.Bottom : rec_[lastShown].bounds.Right;
            int shift = limit - far;
            if (shift > 0)
                for (int i = first; i <= lastShown; ++i)
                    if (rec_[i].show)
                        OffsetRect(rec_[i].bounds, Vertical() ? 0 : shift, Vertical() ? shift : 0);
        }
        lineStart_ = -1;
        lineW_ = lineH_ = 0;
    }

    int lineCount_ = 1;

private:
    TBarView &view_;
    TViewerLayout *rec_;
    int count_;
    TBarViewOrientation orientation_;
    int wrapLength_;
    TRect margins_;
    bool chevronPopup_;
    TPoint cursor_;
    int lineStart_ = -1;
    int lineW_ = 0, lineH_ = 0;
    bool wrapped_ = false;
    bool justWrapped_ = false;
};

} // namespace

bool TBarView::ShouldBeVisible(int index, bool chevronPopup) const
{
    TBarItemViewer *v = Viewers(index);
    TBarCustomItem *item = v->Item();
    if (auto *control = dynamic_cast<TBarControlItem *>(item)) {
        if (chevronPopup || !control->Control())
            return false;
        return control->Control()->Parent() == window_ && window_ && control->Control()->Visible();
    }
    if (chevronPopup && chevronParentView_) {
        int match = index + chevronParentView_->headCount_;
        bool hidden = match < chevronParentView_->ViewerCount() && chevronParentView_->Viewers(match)->OffEdge();
        if (!hidden && !IsSeparatorItem(item))
            return false;
    }
    if ((item->ItemStyle() & InlineGroup) && !customizing_)
        return false;
    return item->Visible();
}

bool TBarView::ComputeLayout(bool apply, TBarViewOrientation orientation, int &lineCount, TSize &totalSize,
                             TSize &baseSize, int chevronSize, int maxLength, int wrapLength)
{
    int n = ViewerCount();
    TBarCustomItem *chevronItem = GetChevronItem();
    int chevronIndex = chevronItem ? n - 1 : -1;
    bool chevronPopup = chevronParentView_ != nullptr;
    auto rec = std::make_unique<TViewerLayout[]>(static_cast<size_t>(std::max(n, 1)));
    TBarViewOrientation savedOrientation = orientation_;
    orientation_ = orientation;
    bool vertical = orientation == tbvoVertical;

    // 1-2. Visibility and the separator rules.
    auto separatorRule = [&]() {
        bool previousSeparator = true; // nothing shown yet counts as a separator
        for (int i = 0; i < n; ++i) {
            if (i == chevronIndex || !rec[i].show)
                continue;
            bool sep = IsSeparatorItem(Viewers(i)->Item());
            if (sep && previousSeparator)
                rec[i].show = false;
            else
                previousSeparator = sep;
        }
        for (int i = n - 1; i >= 0; --i) {
            if (i == chevronIndex || !rec[i].show)
                continue;
            if (!IsSeparatorItem(Viewers(i)->Item()))
                break;
            rec[i].show = false;
        }
    };
    for (int i = 0; i < n; ++i)
        if (i != chevronIndex)
            rec[i].show = ShouldBeVisible(i, chevronPopup);
    separatorRule();

    // 3-4. Measuring.
    TCanvas &canvas = MeasureCanvas();
    canvas.Font().Assign(GetFont());
    TFontStyles baseStyle = canvas.Font().Style();
    int sameWidth = 0;
    for (int i = 0; i < n; ++i) {
        if (i == chevronIndex || !rec[i].show)
            continue;
        TBarItemViewer *v = Viewers(i);
        int w = 0, h = 0;
        if (auto *control = dynamic_cast<TBarControlItem *>(v->Item())) {
            w = control->Control()->Width();
            h = control->Control()->Height();
        } else {
            bool bold = (v->Item()->EffectiveOptions() & broDefault) != 0;
            canvas.Font().SetStyle(bold ? baseStyle | fsBold : baseStyle);
            v->CalcSize(canvas, w, h);
            if (v->UsesSameWidth()) {
                rec[i].sameWidth = true;
                sameWidth = std::max(sameWidth, w);
            }
        }
        rec[i].bounds = TRect{0, 0, w, h};
    }
    int length = 0;
    for (int i = 0; i < n; ++i) {
        if (i == chevronIndex || !rec[i].show)
            continue;
        if (rec[i].sameWidth)
            rec[i].bounds.Right = sameWidth;
        length += vertical ? rec[i].bounds.Height() : rec[i].bounds.Width();
    }
    baseSize = TSize{};
    (vertical ? baseSize.cy : baseSize.cx) = length;

    // 5-6. Hiding behind the chevron.
    bool chevronConsidered = chevronItem && maxLength > 0 && length > maxLength;
    bool chevronEnable = false;
    int reducedMax = maxLength;
    if (chevronConsidered) {
        reducedMax -= chevronSize;
        auto along = [&](int i) { return vertical ? rec[i].bounds.Height() : rec[i].bounds.Width(); };
        auto recount = [&]() {
            int total = 0;
            for (int i = 0; i < n; ++i)
                if (i != chevronIndex && rec[i].show)
                    total += along(i);
            return total;
        };
        while (length > reducedMax) {
            int nonSeparators = 0, lastShown = -1;
            for (int i = 0; i < n; ++i)
                if (i != chevronIndex && rec[i].show) {
                    lastShown = i;
                    if (!IsSeparatorItem(Viewers(i)->Item()))
                        ++nonSeparators;
                }
            if (nonSeparators < 2)
                break;
            if (IsSeparatorItem(Viewers(lastShown)->Item()))
                rec[lastShown].show = false;
            else {
                int victim = -1;
                if (priorityListKept_) {
                    for (auto it = priorityList_.rbegin(); it != priorityList_.rend() && victim < 0; ++it) {
                        int i = IndexOfViewer(*it);
                        if (i >= 0 && i != chevronIndex && rec[i].show && !IsSeparatorItem((*it)->Item()))
                            victim = i;
                    }
                } else
                    for (int i = n - 1; i >= 0 && victim < 0; --i)
                        if (i != chevronIndex && rec[i].show && !IsSeparatorItem(Viewers(i)->Item()))
                            victim = i;
                if (victim < 0)
                    break;
                rec[victim].show = false;
                rec[victim].offEdge = true;
                if (!dynamic_cast<TBarControlItem *>(Viewers(victim)->Item()))
                    chevronEnable = true;
            }
            separatorRule();
            length = recount();
        }
    }

    // 7. Base size across.
    for (int i = 0; i < n; ++i)
        if (i != chevronIndex && rec[i].show) {
            if (vertical)
                baseSize.cx = std::max(baseSize.cx, rec[i].bounds.Width());
            else
                baseSize.cy = std::max(baseSize.cy, rec[i].bounds.Height());
        }

    // 8. Margins.
    TRect margins = GetViewMargins(orientation);
    if (wrapLength > 0)
        wrapLength = std::max(1, wrapLength - margins.Right);

    // 9-10. Placement; the total size starts from the minimum asked for.
    TLayoutRun run(*this, rec.get(), n, orientation, wrapLength, margins, chevronPopup);
    bool previousToolbarSized = false;
    bool anyShown = false;
    for (int i = 0; i < n; ++i) {
        if (i == chevronIndex || !rec[i].show)
            continue;
        TBarItemViewer *v = Viewers(i);
        bool toolbarSized = isToolbar_ || (v->Item()->EffectiveOptions() & broToolbarSize);
        if (isPopup_ && anyShown && previousToolbarSized && !toolbarSized) {
            // The menu rows continue below the toolbar-sized run.
            run.NewRow(totalSize.cy);
        }
        run.Place(i, totalSize);
        run.Advance(i, toolbarSized);
        previousToolbarSized = toolbarSized;
        anyShown = true;
    }
    run.Finish(n - 1, true, totalSize);
    if (anyShown) {
        totalSize.cx += margins.Right;
        totalSize.cy += margins.Bottom;
    }

    // 11. Vertical layouts: the first column lies rightmost.
    if (vertical)
        for (int i = 0; i < n; ++i)
            if (rec[i].show && i != chevronIndex) {
                int left = rec[i].bounds.Left;
                rec[i].bounds.Left = totalSize.cx - rec[i].bounds.Right;
                rec[i].bounds.Right = totalSize.cx - left;
            }

    // 12. Popup scrolling.
    if (maxHeight_ > 0 && maxHeight_ < totalSize.cy) {
        int limit = totalSize.cy - maxHeight_;
        scrollOffset_ = std::clamp(scrollOffset_, 0, limit);
        showUpArrow_ = scrollOffset_ > 0;
        showDownArrow_ = scrollOffset_ < limit;
        int top = showUpArrow_ ? kScrollArrowHeight : 0;
        int bottom = showDownArrow_ ? maxHeight_ - kScrollArrowHeight : maxHeight_;
        for (int i = 0; i < n; ++i) {
            if (!rec[i].show || i == chevronIndex)
                continue;
            OffsetRect(rec[i].bounds, 0, -scrollOffset_);
            if (rec[i].bounds.Top < top || rec[i].bounds.Bottom > bottom) {
                rec[i].show = false;
                rec[i].clipped = true;
            }
        }
        totalSize.cy = maxHeight_;
    } else {
        scrollOffset_ = 0;
        showUpArrow_ = showDownArrow_ = false;
    }

    // 13. Hosted controls (in the window's coordinates; hidden ones just outside it).
    if (apply) {
        const TPoint origin = ControlOrigin();
        for (int i = 0; i < n; ++i) {
            auto *item = dynamic_cast<TBarControlItem *>(Viewers(i)->Item());
            if (!item || !item->Control())
                continue;
            TControl *c = item->Control();
            if (rec[i].show) {
                TRect placed = rec[i].bounds;
                OffsetRect(placed, origin.X, origin.Y);
                if (c->BoundsRect() != placed)
                    c->SetBounds(placed.Left, placed.Top, placed.Width(), placed.Height());
            } else if ((rec[i].offEdge || rec[i].clipped) && window_)
                c->SetBounds(window_->Width(), window_->Height(), c->Width(), c->Height());
        }
    }

    // 14. Line-break separators span the toolbar.
    if (isToolbar_)
        for (int i = 0; i < n; ++i)
            if (rec[i].show && rec[i].lineBreak) {
                if (vertical)
                    rec[i].bounds.Bottom = totalSize.cy;
                else
                    rec[i].bounds.Right = totalSize.cx;
            }

    // 15. The chevron.
    if (chevronConsidered && chevronIndex >= 0) {
        if (apply)
            chevronItem->SetEnabled(chevronEnable);
        int p = std::max(reducedMax, vertical ? totalSize.cy : totalSize.cx);
        rec[chevronIndex].show = true;
        rec[chevronIndex].bounds = vertical ? Bounds(0, p, totalSize.cx, chevronSize)
                                            : Bounds(p, 0, chevronSize, totalSize.cy);
    }

    // 16. Applying.
    bool changed = false;
    if (apply)
        for (int i = 0; i < n; ++i) {
            TBarItemViewer *v = Viewers(i);
            if (v->bounds_ != rec[i].bounds || v->show_ != rec[i].show || v->LineBreak() != rec[i].lineBreak)
                changed = true;
            v->bounds_ = rec[i].bounds;
            v->show_ = rec[i].show;
            v->offEdge_ = rec[i].offEdge;
            v->clipped_ = rec[i].clipped;
            v->state_ = rec[i].lineBreak ? (v->state_ | 0x02u) : (v->state_ & ~0x02u);
        }

    // 17. An empty view keeps a size to be seen.
    if (baseSize.cx == 0 || baseSize.cy == 0) {
        baseSize = TSize{23, 22};
        totalSize.cx = std::max(totalSize.cx, 23);
        totalSize.cy = std::max(totalSize.cy, 22);
    }
    lineCount = run.lineCount_;
    orientation_ = savedOrientation;
    return changed;
}
