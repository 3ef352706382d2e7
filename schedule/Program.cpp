#include "platform/kernel/Application.h"
#include "platform/services/DesktopServices.h"
#include "report/RpStdPrev.h"
#include "schedule/Main.h"

// The program's entry: initialises the application, titles it, creates the
// main window and runs the message loop until it closes.
int main(int argc, char **argv)
{
    Application().Initialize(argc, argv);
    InstallDesktopServices();
    Application().SetTitle("たるぼる");
    RegisterReportWindows();
    std::string file = Application().ParamStr(1);
    Application().CreateForm<TfrmMain>(file);
    int code = Application().Run();
    Application().Finalize();
    return code;
}
