// A window with a dock and two toolbars, to try docking, floating, the
// chevron and shortcuts by hand; a chosen button prints one line.
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "toolbar/BarToolbar.h"

#include <cstdio>
#include <string>

namespace {

class TDockHostForm : public TForm {
public:
    explicit TDockHostForm(TComponent *owner) : TForm(owner)
    {
        SetText("Dock host");
        SetBounds(40, 40, 480, 240);
        images_.Add(clRed);
        images_.Add(clBlue);
        dock_ = new TBarDock(this);
        dock_->SetName("dockTop");
        dock_->SetBoundLines(blTop | blBottom | blLeft | blRight);
        dock_->SetParent(this);
        MakeToolbar("tlbFile", "File", 6, 0, 0);
        TBarCustomToolbar *edit = MakeToolbar("tlbEdit", "Edit", 6, 0, 200);
        edit->Items()->GetItem(0)->SetShortCut('X' | scCtrl);
        edit->SetProcessShortCuts(true);
    }

private:
    TBarCustomToolbar *MakeToolbar(const std::string &name, const std::string &caption, int buttons, int row,
                                   int pos)
    {
        auto *tb = new TBarCustomToolbar(this);
        tb->SetName(name);
        tb->SetCaption(caption);
        for (int i = 0; i < buttons; ++i) {
            auto *item = new TBarCustomItem(this);
            item->SetCaption(caption + " " + std::to_string(i + 1));
            item->SetImages(&images_);
            item->SetImageIndex(i % 2);
            item->OnClick = [item](TObject *) {
                std::printf("chosen: %s\n", item->Caption().c_str());
                std::fflush(stdout);
            };
            tb->Items()->Add(item);
        }
        tb->SetDockRow(row);
        tb->SetDockPos(pos);
        tb->SetCurrentDock(dock_);
        return tb;
    }
    TBarImageList images_{nullptr, 16, 16};
    TBarDock *dock_ = nullptr;
};

} // namespace

int main(int argc, char **argv)
{
    Application().Initialize(argc, argv);
    auto *form = Application().CreateForm<TDockHostForm>();
    form->ShowForm();
    int code = Application().Run();
    Application().Finalize();
    return code;
}
