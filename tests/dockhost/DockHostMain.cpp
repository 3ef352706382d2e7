// A window with a dock, a menu bar and two toolbars, to try docking,
// floating, resizing a floating toolbar, the chevron, the menu keys (Alt,
// Alt+letter) and shortcuts by hand; a chosen command prints one line.
// With "outline" on the command line the toolbars drag as outlines.
#include "platform/kernel/Application.h"
#include "platform/services/DesktopServices.h"
#include "platform/kernel/Forms.h"
#include "platform/core/Menus.h"
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
        MakeMenuBar();
        MakeToolbar("tlbFile", "File", 6, 0, 0);
        TBarCustomToolbar *edit = MakeToolbar("tlbEdit", "Edit", 6, 0, 200);
        edit->Items()->GetItem(0)->SetShortCut('X' | scCtrl);
        edit->SetProcessShortCuts(true);
    }

    void SetOutline(bool outline)
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (auto *bar = dynamic_cast<TBarCustomDockableWindow *>(Components(i)))
                bar->SetSmoothDrag(!outline);
    }

private:
    TBarCustomItem *AddCommand(TBarCustomItem *parent, const std::string &caption, bool submenu = false)
    {
        auto *item = new TBarCustomItem(this);
        item->SetCaption(caption);
        if (submenu)
            item->SetItemStyle(item->ItemStyle() | HasSubmenu);
        else
            item->OnClick = [item](TObject *) {
                std::printf("chosen: %s\n", item->Caption().c_str());
                std::fflush(stdout);
            };
        parent->Add(item);
        return item;
    }
    void MakeMenuBar()
    {
        auto *bar = new TBarCustomToolbar(this);
        bar->SetName("tlbMenu");
        bar->SetCaption("Menu");
        bar->SetMenuBar(true);
        TBarCustomItem *file = AddCommand(bar->Items(), "&File", true);
        AddCommand(file, "&New");
        AddCommand(file, "&Open");
        TBarCustomItem *view = AddCommand(bar->Items(), "&View", true);
        AddCommand(view, "&Toolbars");
        AddCommand(view, "&Status bar");
        TBarCustomItem *help = AddCommand(bar->Items(), "&Help", true);
        AddCommand(help, "&About");
        bar->SetDockRow(0);
        bar->SetCurrentDock(dock_);
    }
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
    InstallDesktopServices();
    auto *form = Application().CreateForm<TDockHostForm>();
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "outline")
            form->SetOutline(true);
    form->ShowForm();
    int code = Application().Run();
    Application().Finalize();
    return code;
}
