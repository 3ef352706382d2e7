#include "report/RpPrev.h"

#include "platform/core/Services.h"
#include "platform/core/SysUtils.h"

#include <algorithm>

namespace {

struct THyperlinkHandler {
    std::string Prefix;
    TRpHyperlinkCallback Callback;
    void *UserData = nullptr;
};

std::vector<THyperlinkHandler> &HyperlinkHandlers()
{
    static std::vector<THyperlinkHandler> handlers;
    return handlers;
}

// The first handler whose prefix (case-sensitive) starts the link takes it.
bool OfferToHandlers(const std::string &link, TRpPrinter *printer)
{
    for (const THyperlinkHandler &handler : HyperlinkHandlers()) {
        if (link.rfind(handler.Prefix, 0) == 0) {
            handler.Callback(handler.UserData, printer, link.substr(handler.Prefix.size()));
            return true;
        }
    }
    return false;
}

bool StartsWithNoCase(const std::string &text, const std::string &prefix)
{
    return text.size() >= prefix.size() && UpperCase(text.substr(0, prefix.size())) == prefix;
}

constexpr unsigned kLowWord = 0xFFFF;

} // namespace

void RegisterHyperlinkHandler(const std::string &prefix, TRpHyperlinkCallback callback, void *userData)
{
    HyperlinkHandlers().push_back({prefix, std::move(callback), userData});
}

void ClearHyperlinkHandlers() { HyperlinkHandlers().clear(); }

// ---------------------------------------------------------------- TRpPreviewImage

TRpPreviewImage::TRpPreviewImage(TComponent *owner) : TGraphicControl(owner) {}

void TRpPreviewImage::ShowPage(int n)
{
    pageNumber_ = n;
    metafile_.reset();
    if (printer_ != nullptr)
        metafile_ = printer_->GetPage(n);
    Invalidate();
}

void TRpPreviewImage::DrawPageImage(const TMetafile *metafile, TCanvas &canvas, const TRect &rect, bool designing)
{
    if (metafile == nullptr && !designing)
        return;
    const int l = rect.Left, t = rect.Top, r = rect.Right, b = rect.Bottom;
    canvas.Pen().SetColor(clWhite);
    canvas.Pen().SetStyle(psSolid);
    canvas.Brush().SetColor(clWhite);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Rectangle(l + 1, t + 1, r - 3, b - 3);
    if (metafile != nullptr) {
        // Painting must not fail: a page with a damaged record shows what
        // played before it.
        try {
            metafile->Play(canvas, rect);
        } catch (const EInvalidGraphic &) {
        }
    }
    canvas.Pen().SetColor(clBlack);
    canvas.Pen().SetStyle(psSolid);
    canvas.MoveTo(l, t);
    canvas.LineTo(l, b - 3);
    canvas.LineTo(r - 3, b - 3);
    canvas.LineTo(r - 3, t);
    canvas.LineTo(l, t);
    canvas.Brush().SetColor(clBlack);
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(TRect{r - 2, t + 2, r, b});
    canvas.FillRect(TRect{l + 2, b - 2, r, b});
}

void TRpPreviewImage::Paint() { DrawPageImage(metafile_.get(), Canvas(), TRect{0, 0, Width(), Height()}, false); }

std::string TRpPreviewImage::LinkAt(int x, int y)
{
    if (zoom_ <= 0)
        return "";
    const int px = RoundInt(static_cast<long double>(x) / zoom_ * 100);
    const int py = RoundInt(static_cast<long double>(y) / zoom_ * 100);
    for (const TRpHyperlink &link : Hyperlinks) {
        if (link.Left <= px && px <= link.Right && link.Top <= py && py <= link.Bottom) {
            lastLink_ = link.Link;
            return link.Link;
        }
    }
    return "";
}

void TRpPreviewImage::MouseMove(TShiftState shift, int x, int y)
{
    TGraphicControl::MouseMove(shift, x, y);
    const std::string link = LinkAt(x, y);
    const bool on = !link.empty();
    SetCursor(on ? crHandPoint : crDefault);
    if (on == onLink_)
        return;
    onLink_ = on;
    if (OnHyperlink) {
        bool handled = false;
        OnHyperlink(printer_, on ? heCursorMoveOver : heCursorMoveAway, on ? link : std::string(), handled);
    }
}

void TRpPreviewImage::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseDown(button, shift, x, y);
    // The press is tested where it happens: a click may come without a move first.
    onLink_ = !LinkAt(x, y).empty();
    if (!onLink_ || !OnHyperlink)
        return;
    bool handled = false;
    OnHyperlink(printer_, heGoto, lastLink_, handled);
    if (!handled)
        FollowLink(lastLink_);
}

void TRpPreviewImage::FollowLink(const std::string &link)
{
    if (StartsWithNoCase(link, "EXT:")) {
        Services().ShellOpen(link.substr(4));
    } else if (StartsWithNoCase(link, "INT:")) {
        OfferToHandlers(link.substr(4), printer_);
    } else if (!OfferToHandlers(link, printer_)) {
        Services().ShellOpen(link);
    }
}

// ---------------------------------------------------------------- TRpPreview

TRpPreview::TRpPreview(TComponent *owner) : TScrollBox(owner)
{
    image_ = PlaceControl<TRpPreviewImage>(this, 0, 0, 0, 0);
    SetBounds(Left(), Top(), 250, 250);
    UpdateImageSize();
}

TRpPreview::~TRpPreview()
{
    if (printer_ != nullptr) {
        if (printer_->ProgressWindow() == this) {
            printer_->SetPreviewActive(false);
            printer_->SetProgressWindow(nullptr);
        }
        printer_->DetachClient(this);
        printer_ = nullptr;
    }
}

void TRpPreview::AttachPrinter(TRpPrinter *printer)
{
    // Binding the bound printer again only shows its page 1 afresh (after it
    // loaded a file): its run and preview go on.
    if (printer_ != nullptr && printer_ != printer) {
        TRpPrinter *old = printer_;
        old->DetachClient(this);
        if (old->ProgressWindow() == this) {
            old->SetPreviewActive(false);
            old->SetProgressWindow(nullptr);
        }
    }
    printer_ = printer;
    image_->SetPrinter(printer);
    if (printer != nullptr) {
        printer->AttachClient(this);
        printer->SetProgressWindow(this);
        printer->SetPreviewActive(true);
    }
    pageNumber_ = 1;
    image_->ShowPage(1);
    Invalidate();
    // The owner's mouse handlers fire on the page too.
    image_->OnClick = OnClick;
    image_->OnDblClick = OnDblClick;
    image_->OnDragDrop = OnDragDrop;
    image_->OnDragOver = OnDragOver;
    image_->OnMouseDown = OnMouseDown;
    image_->OnMouseMove = OnMouseMove;
    image_->OnMouseUp = OnMouseUp;
    if (printer != nullptr && outline_ != nullptr)
        printer->SetOutlineView(*outline_);
}

// The printer is being freed: it must not be touched any more.
void TRpPreview::PrinterDestroyed(TRpPrinter &printer)
{
    if (printer_ != &printer)
        return;
    printer_ = nullptr;
    image_->SetPrinter(nullptr);
}

void TRpPreview::SetOutline(TTreeView *outline)
{
    if (outline_ != nullptr)
        RemoveFreeNotification(outline_);
    outline_ = outline;
    if (outline_ != nullptr)
        FreeNotification(outline_);
}

void TRpPreview::Notification(TComponent *component, TOperation operation)
{
    TScrollBox::Notification(component, operation);
    if (operation == TOperation::opRemove && component == outline_)
        outline_ = nullptr;
}

void TRpPreview::SetPageNumber(int n)
{
    if ((n == pageNumber_ && image_->Metafile() != nullptr) || n <= 0 || printer_ == nullptr
        || n > printer_->PageCount())
        return;
    image_->ShowPage(n);
    pageNumber_ = n;
    HorzScrollBar().SetPosition(0);
    VertScrollBar().SetPosition(0);
}

void TRpPreview::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case WM_RPPROGRESS:
        if (OnProgressUpdate)
            OnProgressUpdate(this, static_cast<int>(message.WParam & kLowWord));
        return;
    case WM_RPPAGESAVAILABLE: {
        const int count = static_cast<int>(message.WParam & kLowWord);
        if (count == pageNumber_ && image_->Metafile() == nullptr && printer_ != nullptr
            && printer_->AvailablePages() >= image_->PageNumber()) {
            ZoomToWidth();
            image_->ShowPage(pageNumber_);
        }
        if (OnPageAvailable)
            OnPageAvailable(this, count);
        return;
    }
    default:
        TScrollBox::WndProc(message);
    }
}

void TRpPreview::SetZoom(int zoom)
{
    if (zoom < 2 || zoom > 2000)
        return;
    zoomState_ = rpZoomOther;
    zoom_ = zoom;
    UpdateImageSize();
}

long double TRpPreview::PageWidthPixels() const
{
    return printer_ != nullptr ? printer_->XSize(printer_->PageWidth()) : RpDefaultPageWidth;
}

long double TRpPreview::PageHeightPixels() const
{
    return printer_ != nullptr ? printer_->YSize(printer_->PageHeight()) : RpDefaultPageHeight;
}

void TRpPreview::UpdateImageSize()
{
    image_->SetZoom(zoom_);
    int width, height;
    if (printer_ != nullptr) {
        width = printer_->XSize(printer_->PageWidth() / 100 * zoom_) + 4;
        height = printer_->YSize(printer_->PageHeight() / 100 * zoom_) + 4;
    } else {
        width = RoundInt(RpDefaultPageWidth / 100 * zoom_) + 4;
        height = RoundInt(RpDefaultPageHeight / 100 * zoom_) + 4;
    }
    const int left = width < Width() ? (Width() - width) / 2 : 0;
    const int top = height < Height() ? (Height() - height) / 2 : 0;
    image_->SetBounds(left, top, width, height);
    HorzScrollBar().SetRange(width);
    VertScrollBar().SetRange(height);
    HorzScrollBar().SetPosition(0);
    VertScrollBar().SetPosition(0);
}

void TRpPreview::ZoomToFit()
{
    const long double pageWidth = PageWidthPixels(), pageHeight = PageHeightPixels();
    if (pageWidth <= 0 || pageHeight <= 0)
        return;
    const int a = RoundInt(Width() / pageWidth * 95);
    const int b = RoundInt(Height() / pageHeight * 95);
    SetZoom(std::min(a, b));
    UpdateImageSize();
    zoomState_ = rpZoomToFit;
}

void TRpPreview::ZoomToWidth()
{
    const long double pageWidth = PageWidthPixels();
    if (pageWidth <= 0)
        return;
    SetZoom(RoundInt(Width() / pageWidth * (printer_ != nullptr ? 90 : 95)));
    UpdateImageSize();
    zoomState_ = rpZoomToWidth;
}

void TRpPreview::Refit()
{
    if (fitting_ || image_ == nullptr)
        return;
    fitting_ = true;
    if (zoomState_ == rpZoomToFit)
        ZoomToFit();
    else if (zoomState_ == rpZoomToWidth)
        ZoomToWidth();
    UpdateImageSize();
    fitting_ = false;
}

void TRpPreview::BoundsChanged()
{
    TScrollBox::BoundsChanged();
    Refit();
}

void TRpPreview::DoEnter()
{
    TScrollBox::DoEnter();
    Refit();
}

// ---------------------------------------------------------------- preview interface

TCustomForm *TRpPreviewInterface::Show(TRpPrinter &) { return nullptr; }

void TRpPreviewInterface::ShowModal(TRpPrinter &) {}
