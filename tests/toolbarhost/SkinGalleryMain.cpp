// A window showing the Default theme's parts in every state, a docked themed
// toolbar and a floating one, to compare the screen with offscreen painting:
// it prints named sample points (screen coordinates) with the colour the
// offscreen painting of the same window has there.
#include "platform/kernel/Application.h"
#include "platform/services/DesktopServices.h"
#include "platform/kernel/Controls.h"
#include "platform/kernel/Forms.h"
#include "platform/kernel/Timer.h"
#include "toolbar/Skin.h"
#include "toolbar/SkinDefaultTheme.h"
#include "toolbar/SkinUtils.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct TSample {
    std::string Name;
    TPoint At;
};

TSkinItemInfo Button()
{
    TSkinItemInfo info;
    info.ViewType = VIEWKIND_TOOLBAR | VIEWKIND_TOOLBAR_PLAIN;
    info.ItemOptions = IO_TOOLBARSTYLE | IO_APPACTIVE;
    info.Enabled = true;
    return info;
}

class TGallery : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<TSample> Samples;

protected:
    void Paint() override
    {
        TCanvas &c = Canvas();
        TSkinTheme &theme = CurrentTheme();
        Samples.clear();
        FillRectEx(c, TRect{0, 0, Width(), Height()}, clBtnFace);
        auto button = [&](int x, const char *name, TSkinItemInfo info, const char *caption) {
            const TRect r{x, 10, x + 40, 32};
            theme.PaintButton(c, r, info);
            c.Font().SetColor(clNone);
            TRect text = r;
            InflateRect(text, -2, -2);
            theme.PaintCaption(c, text, info, caption, DT_SINGLELINE | DT_CENTER | DT_VCENTER, false);
            Samples.push_back({std::string(name) + ".topleft", {r.Left, r.Top + 5}});
            Samples.push_back({std::string(name) + ".right", {r.Right - 1, r.Top + 5}});
            Samples.push_back({std::string(name) + ".inside", {r.Left + 3, r.Top + 3}});
        };
        TSkinItemInfo info = Button();
        button(10, "normal", info, "N");
        info.HoverKind = HOVER_MOUSE;
        button(60, "hot", info, "H");
        info.Pushed = true;
        button(110, "pushed", info, "P");
        info = Button();
        info.ViewType |= VIEWKIND_OPAQUEITEMS;
        info.Selected = true;
        button(160, "checked", info, "C");
        info = Button();
        info.Enabled = false;
        button(210, "disabled", info, "D");

        // A split button pushed on its arrow, a drop-down button, a chevron, a separator.
        info = Button();
        info.ComboPart = 2;
        theme.PaintButton(c, TRect{260, 10, 289, 32}, info);
        TSkinItemInfo arrow = info;
        arrow.ComboPart = 3;
        arrow.Pushed = true;
        theme.PaintButton(c, TRect{289, 10, 300, 32}, arrow);
        Samples.push_back({"split.arrow", {289, 15}});
        info = Button();
        info.ComboPart = 1;
        info.HoverKind = HOVER_MOUSE;
        theme.PaintButton(c, TRect{310, 10, 340, 32}, info);
        theme.PaintDropDownArrow(c, TRect{322, 10, 340, 32}, info);
        theme.PaintChevron(c, TRect{350, 10, 363, 32}, Button());
        Samples.push_back({"chevron.glyph", {353, 14}});
        theme.PaintSeparator(c, TRect{370, 10, 376, 32}, Button(), false, false);
        Samples.push_back({"separator.dark", {372, 15}});
        Samples.push_back({"separator.light", {373, 15}});

        // A popup: hovered row, check and radio marks.
        TSkinItemInfo menu;
        menu.ViewType = VIEWKIND_POPUP | VIEWKIND_POPUPMENU;
        menu.ItemOptions = IO_APPACTIVE;
        menu.Enabled = true;
        menu.PopupMargin = 20;
        TSkinPopupInfo popup;
        popup.ViewType = menu.ViewType;
        c.SaveDC();
        c.SetWindowOrg(-10, -50);
        theme.PaintPopupNCArea(c, TRect{0, 0, 160, 66}, popup);
        c.RestoreDC(-1);
        FillRectEx(c, TRect{13, 53, 167, 113}, clMenu);
        menu.HoverKind = HOVER_MOUSE;
        theme.PaintMenuItem(c, TRect{13, 53, 167, 73}, menu);
        c.Font().SetColor(clNone);
        theme.PaintCaption(c, TRect{40, 53, 160, 73}, menu, "Hovered", DT_SINGLELINE | DT_VCENTER, false);
        menu.HoverKind = HOVER_NONE;
        theme.PaintCheckMark(c, TRect{13, 73, 33, 93}, menu);
        menu.ItemOptions |= IO_RADIO;
        theme.PaintCheckMark(c, TRect{13, 93, 33, 113}, menu);
        Samples.push_back({"popup.frame", {11, 51}});
        Samples.push_back({"popup.hover", {160, 55}});
        Samples.push_back({"check.mark", {22, 84}});
        Samples.push_back({"radio.mark", {23, 103}});

        // Docked frame with close button, floating frames active and inactive.
        TSkinToolbarFrameInfo frame;
        frame.AllowDrag = true;
        frame.BorderStyle = 1;
        frame.BorderSizeX = frame.BorderSizeY = 2;
        frame.ClientWidth = 80;
        frame.ClientHeight = 22;
        frame.CloseButtonState = CDBS_VISIBLE;
        frame.EffectiveColor = clBtnFace;
        c.SaveDC();
        c.SetWindowOrg(-200, -60);
        c.Brush().SetColor(ColorToRGB(clBtnFace));
        theme.PaintToolbarNCArea(c, TRect{0, 0, 84 + GetDragHandleSize(frame), 26}, frame);
        c.RestoreDC(-1);
        Samples.push_back({"docked.close", {204, 65}});
        Samples.push_back({"docked.grip", {205, 80}});
        for (int i = 0; i < 2; ++i) {
            TSkinFloatingWindowInfo floating;
            floating.ClientWidth = 120;
            floating.ClientHeight = 24;
            floating.FloatingBorderX = floating.FloatingBorderY = 3;
            floating.ShowCaption = true;
            floating.CloseButtonState = CDBS_VISIBLE;
            floating.RedrawPart = SFWP_FRAME | SFWP_CAPTION | SFWP_CLOSEBUTTON;
            floating.Caption = i == 0 ? "Active" : "Inactive";
            floating.Active = i == 0;
            const int top = 100 + 60 * i;
            c.SaveDC();
            c.SetWindowOrg(-200, -top);
            theme.PaintFloatingBorder(c, TRect{0, 0, 126, 30 + SkinSmallCaptionHeight}, floating);
            c.RestoreDC(-1);
            const TRect caption = GetFloatingCaptionRect(floating, true, true);
            const std::string name = i == 0 ? "floating.active" : "floating.inactive";
            Samples.push_back({name + ".start", {200 + caption.Left, top + caption.Bottom - 1}});
            Samples.push_back({name + ".end", {200 + caption.Right - 1, top + caption.Bottom - 1}});
        }
    }
};

class TGalleryForm : public TForm {
public:
    explicit TGalleryForm(TComponent *owner) : TForm(owner)
    {
        SetText("Theme gallery");
        SetBounds(20, 20, 420, 330);
        // A crowded docked toolbar: checked, disabled and split items, the chevron.
        auto *dock = new TBarDock(this);
        dock->SetParent(this);
        toolbar_ = new TSkinToolbar(this);
        for (int i = 0; i < 20; ++i) {
            auto *item = new TSkinItem(this);
            item->SetCaption("B" + std::to_string(i));
            item->SetChecked(i == 17);
            item->SetEnabled(i != 18);
            if (i == 19)
                item->SetItemStyle(item->ItemStyle() | HasSubmenu | SubmenuOnArrowOnly);
            toolbar_->Items()->Add(item);
        }
        toolbar_->SetCurrentDock(dock);
        gallery_ = new TGallery(this);
        gallery_->SetParent(this);
        gallery_->SetBounds(0, 60, 420, 240);
        timer_ = new TTimer(this);
        timer_->SetInterval(1500);
        timer_->OnTimer = [this](TObject *) { Report(); };
    }

private:
    void Report()
    {
        timer_->SetEnabled(false);
        TBitmap offscreen(gallery_->Width(), gallery_->Height());
        gallery_->PaintTo(offscreen.Canvas());
        auto print = [](const std::string &name, TPoint screen, TColor c) {
            std::printf("%s %d %d %02x%02x%02x\n", name.c_str(), screen.X, screen.Y, GetRValue(c), GetGValue(c),
                GetBValue(c));
        };
        for (const TSample &s : gallery_->Samples)
            print(s.Name, gallery_->ClientToScreen(s.At), offscreen.Pixel(s.At.X, s.At.Y));
        // The real toolbar: its grip, a checked button's dither and the chevron's glyph.
        TBitmap bar(toolbar_->Width(), toolbar_->Height());
        toolbar_->PaintTo(bar.Canvas());
        TBarView &view = toolbar_->View();
        view.EnsureLayout();
        const TPoint origin = toolbar_->ClientOrigin();
        std::vector<TSample> samples{{"toolbar.grip", {4, 10}}, {"toolbar.frame", {0, 0}}};
        for (int i = 0; i < view.ViewerCount(); ++i) {
            TBarItemViewer *viewer = view.Viewers(i);
            if (!viewer->Show())
                continue;
            const TRect b = viewer->BoundsRect();
            if (viewer->Item() == toolbar_->ChevronItem()) {
                const int left = origin.X + (b.Left + b.Right - 8 + 1) / 2;
                samples.push_back({"toolbar.chevron.glyph", {left, origin.Y + b.Top + 4}});
                samples.push_back({"toolbar.chevron.gap", {left + 2, origin.Y + b.Top + 4}});
            } else if (viewer->Item()->Checked()) {
                samples.push_back({"toolbar.checked.a", {origin.X + b.Left + 3, origin.Y + b.Top + 3}});
                samples.push_back({"toolbar.checked.b", {origin.X + b.Left + 4, origin.Y + b.Top + 3}});
            }
        }
        for (const TSample &s : samples)
            print(s.Name, toolbar_->ClientToScreen(s.At), bar.Pixel(s.At.X, s.At.Y));
        std::fflush(stdout);
    }
    TGallery *gallery_;
    TSkinToolbar *toolbar_;
    TTimer *timer_;
};

} // namespace

int main(int argc, char **argv)
{
    Application().Initialize(argc, argv);
    InstallDesktopServices();
    auto *form = Application().CreateForm<TGalleryForm>();
    form->ShowForm();
    int code = Application().Run();
    Application().Finalize();
    return code;
}
