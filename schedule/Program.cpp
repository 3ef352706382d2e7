#include "platform/Application.h"

// The program's entry: initialises the application, titles it and runs the
// message loop until the main window closes.
int main(int argc, char **argv)
{
    Application().Initialize(argc, argv);
    Application().SetTitle("たるぼる");
    return Application().Run();
}
