#pragma once
// Drives the test's headless GNOME Shell through its Eval interface (the test helper
// extension turns that on): a virtual pointer for clicks and drags that the Wayland
// compositor delivers like real ones, the shell's own screenshot, and window places.
#include <QImage>
#include <QPoint>
#include <QString>

class CShellDriver {
public:
    // Runs JavaScript in the shell; true with its result when it ran.
    static bool Eval(const QString& script, QString* result = nullptr);
    // A click at a point of the screen. The first click of a new virtual pointer is lost in
    // GNOME Shell 43: the first call spends one at `spendAt`.
    static bool Click(QPoint at, QPoint spendAt);
    // Spends the first click of the virtual pointer (lost in GNOME Shell 43) at `at`.
    static bool SpendFirstClick(QPoint at);
    // A left-button drag in small steps.
    static bool Drag(QPoint from, QPoint to, int steps = 12);
    // The whole screen as the compositor shows it (null when the shell gave none).
    static QImage Screenshot();
    // Where the shell sends the pointer's events now, and which window it would pick afresh at
    // `at` ("title window-id" each): for messages when a click went astray.
    static QString PointerTarget(QPoint at);
    // Whether a window with this title is on the screen.
    static bool HasWindow(const QString& title);
};
