// End-to-end tests: the real ravlin in a private X session with a compositing manager, driven
// by xdotool and read back from screenshots. RAVLIN_E2E_MODE=wm runs the session under openbox
// with picom; RAVLIN_E2E_SCALE sets QT_SCALE_FACTOR for the program under test.
#include "E2eSession.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

CVirtualSession* g_session = nullptr;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const bool wm = qEnvironmentVariable("RAVLIN_E2E_MODE") == "wm";
    // A scaled program runs on a screen with as many more pixels, as a high-density display
    // has: the same 1280 x 800 in the program's own pixels.
    const int scale = std::max(1, qEnvironmentVariableIntValue("RAVLIN_E2E_SCALE"));
    CVirtualSession session(wm ? CVirtualSession::EMode::WindowManager
                               : CVirtualSession::EMode::Compositor,
                            QSize(1280, 800) * scale);
    if (!session.IsReady()) {
        fprintf(stderr, "e2e: the virtual X session did not start\n");
        return 1;
    }
    g_session = &session;
    const int result = RUN_ALL_TESTS();
    g_session = nullptr;
    return result;
}
