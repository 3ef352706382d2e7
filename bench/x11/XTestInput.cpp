#include "bench/x11/XTestInput.h"

#include <dlfcn.h>

#include <cstdlib>

struct TXTestInput::TApi {
    void *x11 = nullptr;
    void *xtst = nullptr;
    void *(*openDisplay)(const char *) = nullptr;
    int (*closeDisplay)(void *) = nullptr;
    int (*flush)(void *) = nullptr;
    int (*sync)(void *, int) = nullptr;
    int (*queryExtension)(void *, int *, int *, int *, int *) = nullptr;
    int (*fakeButton)(void *, unsigned, int, unsigned long) = nullptr;
    int (*fakeMotion)(void *, int, int, int, unsigned long) = nullptr;

    template <typename F> bool Bind(void *library, const char *name, F &f)
    {
        f = reinterpret_cast<F>(dlsym(library, name));
        return f != nullptr;
    }
};

TXTestInput::TXTestInput() : api_(std::make_unique<TApi>())
{
    if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) {
        failure_ = "no X display (DISPLAY is not set)";
        return;
    }
    api_->x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    api_->xtst = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!api_->x11 || !api_->xtst) {
        failure_ = "libX11.so.6 or libXtst.so.6 is not installed";
        return;
    }
    if (!api_->Bind(api_->x11, "XOpenDisplay", api_->openDisplay)
        || !api_->Bind(api_->x11, "XCloseDisplay", api_->closeDisplay)
        || !api_->Bind(api_->x11, "XFlush", api_->flush) || !api_->Bind(api_->x11, "XSync", api_->sync)
        || !api_->Bind(api_->xtst, "XTestQueryExtension", api_->queryExtension)
        || !api_->Bind(api_->xtst, "XTestFakeButtonEvent", api_->fakeButton)
        || !api_->Bind(api_->xtst, "XTestFakeMotionEvent", api_->fakeMotion)) {
        failure_ = "the X libraries lack the XTEST functions";
        return;
    }
    display_ = api_->openDisplay(nullptr);
    if (!display_) {
        failure_ = "the X display cannot be opened";
        return;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!api_->queryExtension(display_, &event, &error, &major, &minor))
        failure_ = "the X server has no XTEST extension";
}

TXTestInput::~TXTestInput()
{
    if (display_)
        api_->closeDisplay(display_);
    if (api_->xtst)
        dlclose(api_->xtst);
    if (api_->x11)
        dlclose(api_->x11);
}

void TXTestInput::MovePointer(int screenX, int screenY)
{
    if (!failure_.empty())
        return;
    api_->fakeMotion(display_, -1, screenX, screenY, 0);
    api_->sync(display_, 0);
}

void TXTestInput::TurnWheel(bool down, int notches, bool together)
{
    if (!failure_.empty())
        return;
    const unsigned button = down ? 5 : 4;
    for (int i = 0; i < notches; ++i) {
        api_->fakeButton(display_, button, 1, 0);
        api_->fakeButton(display_, button, 0, 0);
        if (!together)
            api_->sync(display_, 0);
    }
    api_->sync(display_, 0);
}
