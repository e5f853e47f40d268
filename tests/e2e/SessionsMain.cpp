// End-to-end suites that need a session of their own and run once, not in every mode of the
// main suite: RAVLIN_E2E_MODE=monitors (two monitors on Xorg's dummy driver), wayland (weston
// with XWayland); anything else: a plain session (Xvfb and a compositing manager), used for the
// command line, keyboard layouts and the real global-key path.
#include "E2eSession.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

CVirtualSession* g_session = nullptr;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const QString mode = qEnvironmentVariable("RAVLIN_E2E_MODE");
    const CVirtualSession::EMode session = mode == "monitors"  ? CVirtualSession::EMode::Monitors
                                           : mode == "wayland" ? CVirtualSession::EMode::Wayland
                                           : mode == "gnome"   ? CVirtualSession::EMode::Gnome
                                           : mode == "kde"     ? CVirtualSession::EMode::Kde
                                                               : CVirtualSession::EMode::Compositor;
    CVirtualSession virtualSession(session, session == CVirtualSession::EMode::Monitors
                                                ? CVirtualSession::LeftMonitor().size()
                                                : QSize(1280, 800));
    const bool desktop =
        session == CVirtualSession::EMode::Gnome || session == CVirtualSession::EMode::Kde;
    if (desktop && !virtualSession.IsReady()) {
        // The desktop itself cannot run on this machine (a sandbox that refuses what it needs):
        // every test of the suite is skipped, and the output says why.
        printf("e2e: SKIPPED, the %s desktop did not start here: %s\n", qPrintable(mode),
               qPrintable(virtualSession.NotReadyReason()));
        ::testing::GTEST_FLAG(filter) = "-*";
        return RUN_ALL_TESTS();
    }
    if (!virtualSession.IsReady()) {
        fprintf(stderr, "e2e: the virtual session (%s) did not start\n",
                mode.isEmpty() ? "plain" : qPrintable(mode));
        return 1;
    }
    g_session = &virtualSession;
    const int result = RUN_ALL_TESTS();
    g_session = nullptr;
    return result;
}
