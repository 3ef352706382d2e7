#pragma once
// The application object: owns the toolkit's application, carries the title and
// runs the message loop.
#include <string>

class TApplication {
public:
    // Creates the toolkit's application from the command line.
    void Initialize(int &argc, char **argv);
    const std::string &Title() const { return title_; }
    void SetTitle(const std::string &title) { title_ = title; }
    // Runs the message loop until the main window closes; returns the exit code.
    int Run();

private:
    std::string title_;
};

TApplication &Application();
