#pragma once
// The "Default" theme: the classic look drawn from the system colours, and the
// visual styles where they are in use.

#include "toolbar/SkinThemes.h"

class TSkinDefaultTheme : public TSkinTheme {
public:
    explicit TSkinDefaultTheme(const std::string &name);
    ~TSkinDefaultTheme() override;
    void WndProc(TMessage &message) override;

    TPoint GetImageOffset(TCanvas &canvas, const TSkinItemInfo &item, const TBarImageList *images) override;
    TColor GetItemColor(const TSkinItemInfo &item) override;
    TColor GetItemTextColor(const TSkinItemInfo &item) override;
    TColor GetFlatMenuItemColor(const TSkinItemInfo &item) override;
    void GetMargins(int marginId, TSkinMargins &margins) override;
    int GetPopupShadowType() override { return 1; }
    void GetViewBorder(std::uint32_t viewType, TPoint &border) override;
    TColor GetViewColor(std::uint32_t viewType) override;
    void GetViewMargins(std::uint32_t viewType, TRect &margins) override;
    void PaintBackground(TCanvas &canvas, const TRect &referenceRect, const TRect &paintRect, const TRect &clipRect,
        TColor color, bool transparent, std::uint32_t viewType) override;
    void PaintButton(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) override;
    void PaintCaption(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, const std::string &caption,
        unsigned format, bool rotated) override;
    void PaintCheckMark(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) override;
    void PaintChevron(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) override;
    void PaintEditFrame(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) override;
    void PaintEditButton(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, int buttonKind) override;
    void PaintDock(TCanvas &canvas, const TRect &clientRect, const TRect &dockRect, int dockPosition) override;
    void PaintDockPanelNCArea(TCanvas &canvas, const TRect &rect) override;
    void PaintDropDownArrow(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) override;
    void PaintFloatingBorder(TCanvas &canvas, const TRect &rect, const TSkinFloatingWindowInfo &info) override;
    void PaintFrame(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) override;
    void PaintImage(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, const TBarImageList *images,
        int imageIndex) override;
    void PaintMdiButton(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, int buttonKind) override;
    void PaintMenuItem(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) override;
    void PaintMenuItemFrame(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) override;
    void PaintScrollButton(TCanvas &canvas, const TRect &rect, bool pushed, int direction) override;
    void PaintPopupNCArea(TCanvas &canvas, const TRect &rect, const TSkinPopupInfo &info) override;
    void PaintSeparator(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, bool horizontal,
        bool lineSeparator) override;
    void PaintToolbarNCArea(TCanvas &canvas, const TRect &rect, const TSkinToolbarFrameInfo &info) override;
    void PaintFrameControl(TCanvas &canvas, const TRect &rect, int kind, unsigned state, int params) override;
    void PaintStatusBar(TCanvas &canvas, const TRect &rect, int part) override;
    int GetIntegerMetric(int index) override;
    bool GetBooleanMetric(int index) override;

    virtual void SetupColors();

    TColor ToolbarColor() const { return toolbarColor_; }
    TColor ToolbarTextColor() const { return toolbarTextColor_; }
    TColor DockPanelColor() const { return dockPanelColor_; }
    // How often the colours were set up (tests).
    int SetupCount() const { return setupCount_; }

private:
    TColor toolbarColor_ = clBtnFace;
    TColor toolbarTextColor_ = clBtnText;
    TColor statusBarColor_ = clBtnFace;
    TColor dockPanelColor_ = clBtnFace;
    int setupCount_ = 0;
};

// Metric indices of the theme.
enum : int {
    TMI_SPLITBTN_ARROWWIDTH = 10,
    TMI_DROPDOWN_ARROWWIDTH = 20,
    TMI_DROPDOWN_ARROWMARGIN = 21,
    TMI_MENU_IMGTEXTSPACE = 32,
    TMI_MENU_LCAPTIONMARGIN = 33,
    TMI_MENU_RCAPTIONMARGIN = 34,
    TMI_MENU_SEPARATORSIZE = 35,
    TMI_TLBR_SEPARATORSIZE = 50,
    TMI_EDIT_FRAMEWIDTH = 60,
};
enum : int { TMB_VISUALSTYLES = 5 };
