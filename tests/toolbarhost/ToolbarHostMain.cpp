// A window with a test toolbar row, to try the menus by hand: "File" opens a
// menu whose "Long list" holds 60 items; choosing an item prints one line.
#include "../toolbar/ToolbarHost.h"

#include "platform/kernel/Application.h"
#include "platform/services/DesktopServices.h"

#include <cstdio>
#include <string>

namespace {

class THostForm : public TForm {
public:
    explicit THostForm(TComponent *owner) : TForm(owner)
    {
        SetText("Toolbar host");
        SetBounds(40, 40, 480, 200);
        TBarCustomItem *file = AddItem(root_, "&File", true);
        AddItem(*file, "&Open");
        TBarCustomItem *list = AddItem(*file, "&Long list", true);
        for (int i = 1; i <= 60; ++i)
            AddItem(*list, "Item " + std::to_string(i));
        AddItem(*file, "E&xit")->OnClick = [](TObject *) { Application().Terminate(); };
        TBarCustomItem *edit = AddItem(root_, "&Edit", true);
        AddItem(*edit, "&Cut");
        AddItem(*edit, "C&opy");
        AddItem(root_, "&Print...")->SetHint("Print the schedule|Prints every page");
        bar_ = new TTestBar(this, &root_);
        bar_->SetParent(this);
        bar_->SetBounds(0, 0, 480, 24);
    }

    ~THostForm() override { delete bar_; } // before the items it shows

private:
    TBarCustomItem *AddItem(TBarCustomItem &parent, const std::string &caption, bool submenu = false)
    {
        auto *item = new TBarCustomItem;
        item->SetCaption(caption);
        if (submenu)
            item->SetItemStyle(item->ItemStyle() | HasSubmenu);
        else
            item->OnClick = [item](TObject *) {
                std::printf("chosen: %s\n", item->Caption().c_str());
                std::fflush(stdout);
            };
        parent.Add(item);
        return item;
    }
    TBarRootItem root_;
    TTestBar *bar_ = nullptr;
};

} // namespace

int main(int argc, char **argv)
{
    Application().Initialize(argc, argv);
    InstallDesktopServices();
    auto *form = Application().CreateForm<THostForm>();
    form->ShowForm();
    int code = Application().Run();
    Application().Finalize();
    return code;
}
