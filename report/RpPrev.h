#pragma once
// The preview control: one page of a report printer's pages at a chosen zoom
// inside a scroll box. Bound to a printer during a run, it shows the first
// page as soon as it exists and reports progress and every further page to
// its owner. The page is painted by a windowless page image, which also finds
// the page's hyperlinks under the mouse and follows them.
#include "platform/kernel/Forms.h"
#include "platform/graphics/Metafile.h"
#include "platform/widgets/TreeView.h"
#include "report/BandReport.h"
#include "report/RpPrntr.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TRpHyperlinkEventType { heCursorMoveOver, heCursorMoveAway, heGoto, heGotoNewWindow };

using TRpPageAvailableEvent = std::function<void(TObject *sender, int pageNum)>;
using TRpProgressUpdateEvent = std::function<void(TObject *sender, int progress)>;
// Sender is the printer; setting handled stops the link being followed.
using TRpPreviewHyperlinkEvent =
    std::function<void(TObject *sender, TRpHyperlinkEventType eventType, const std::string &link, bool &handled)>;

// A link on a page, in page pixels at 100 %.
struct TRpHyperlink {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    std::string Link;
};

// Links that start with a prefix go to its handler: (user data, printer, the
// rest of the link after the prefix).
using TRpHyperlinkCallback = std::function<void(void *userData, TRpPrinter *printer, const std::string &rest)>;
void RegisterHyperlinkHandler(const std::string &prefix, TRpHyperlinkCallback callback, void *userData = nullptr);
void ClearHyperlinkHandlers();

// The letter page shown when no printer is bound, in millimetres used as pixels at 100 %.
constexpr long double RpDefaultPageWidth = 215.9L;
constexpr long double RpDefaultPageHeight = 279.4L;

class TRpPreviewImage : public TGraphicControl {
public:
    explicit TRpPreviewImage(TComponent *owner);

    int Zoom() const { return zoom_; }
    void SetZoom(int zoom) { zoom_ = zoom; }
    TRpPrinter *Printer() const { return printer_; }
    void SetPrinter(TRpPrinter *printer) { printer_ = printer; }
    int PageNumber() const { return pageNumber_; }
    const TMetafile *Metafile() const { return metafile_.get(); }
    // Takes page n from the printer (none when it is not there yet) and paints it.
    void ShowPage(int n);

    std::vector<TRpHyperlink> Hyperlinks;
    TRpPreviewHyperlinkEvent OnHyperlink;
    bool OnLink() const { return onLink_; }
    // The link at a pixel of the image (empty for none); remembered as the last link.
    std::string LinkAt(int x, int y);
    const std::string &LastLink() const { return lastLink_; }

    // A page with its white face, black frame and shadow, the metafile
    // stretched over the rectangle; nothing without a metafile unless designing.
    static void DrawPageImage(const TMetafile *metafile, TCanvas &canvas, const TRect &rect, bool designing);

protected:
    void Paint() override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void FollowLink(const std::string &link);

    int zoom_ = 100;
    TRpPrinter *printer_ = nullptr;
    std::unique_ptr<TMetafile> metafile_;
    int pageNumber_ = 0;
    bool onLink_ = false;
    std::string lastLink_;
};

class TRpPreview : public TScrollBox, public TRpPrinterClient {
public:
    explicit TRpPreview(TComponent *owner);
    ~TRpPreview() override;

    // Binds the control to a printer (or none): it becomes the printer's
    // progress window and shows page 1 as soon as it exists.
    void AttachPrinter(TRpPrinter *printer);
    TRpPrinter *Printer() const { return printer_; }

    int PageNumber() const { return pageNumber_; }
    // Kept when n is shown already, below 1, past the printer's pages or without a printer.
    void SetPageNumber(int n);
    int Zoom() const { return zoom_; }
    // Taken from 2 to 2000 per cent.
    void SetZoom(int zoom);
    TRpZoomState ZoomState() const { return zoomState_; }
    void UpdateImageSize();
    void ZoomToFit();
    void ZoomToWidth();

    TTreeView *Outline() const { return outline_; }
    void SetOutline(TTreeView *outline);
    const TRpPreviewHyperlinkEvent &OnHyperlink() const { return image_->OnHyperlink; }
    void SetOnHyperlink(TRpPreviewHyperlinkEvent handler) { image_->OnHyperlink = std::move(handler); }
    TRpPreviewImage &Image() { return *image_; }

    TRpPageAvailableEvent OnPageAvailable;
    TRpProgressUpdateEvent OnProgressUpdate;

    void WndProc(TMessage &message) override;
    void PrinterDestroyed(TRpPrinter &printer) override;

protected:
    void BoundsChanged() override;
    void DoEnter() override;
    void Notification(TComponent *component, TOperation operation) override;

private:
    void Refit();
    // The page in screen pixels at 100 %.
    long double PageWidthPixels() const;
    long double PageHeightPixels() const;

    TRpPreviewImage *image_ = nullptr;
    TRpPrinter *printer_ = nullptr;
    TTreeView *outline_ = nullptr;
    int pageNumber_ = 1;
    int zoom_ = 100;
    TRpZoomState zoomState_ = rpZoomOther;
    bool fitting_ = false;
};

// Decides which window shows a printer's pages when its report has no
// OnPreview handler. The base shows nothing.
class TRpPreviewInterface : public TComponent {
public:
    explicit TRpPreviewInterface(TComponent *owner) : TComponent(owner) {}
    // Shows the printer's pages; returns the window (none in the base).
    virtual TCustomForm *Show(TRpPrinter &printer);
    virtual void ShowModal(TRpPrinter &printer);
};
