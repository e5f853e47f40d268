#pragma once
// The font configuration, read on a thread of its own while the application starts. Reading it
// (some fifty files, then the font cache) takes 15-20 ms, and the first window with text (the
// text bubble) would otherwise wait for it before the overlay can be shown. Fontconfig makes
// its configuration once, whichever thread asks first, so Qt finds it ready or reads it as
// before.
#include <thread>

class CFontWarmUp {
public:
    CFontWarmUp();
    ~CFontWarmUp();
    CFontWarmUp(const CFontWarmUp&) = delete;
    CFontWarmUp& operator=(const CFontWarmUp&) = delete;

private:
    std::thread m_thread;
};
