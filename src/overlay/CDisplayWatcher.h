#pragma once
// Follows the monitors while the program runs: a monitor plugged in or out, the primary one
// changed, a monitor's size, work area or density changed. Qt reports each of these by its own
// signal, and one change of the monitors usually brings several of them at once; the watcher
// gathers them and hands the new list of displays over once, from the event loop.
#include "_DisplayContext.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

class QScreen;

class CDisplayWatcher : public QObject {
public:
    using Displays = std::vector<_DisplayEntry>;

    // `changed` gets the new list; `enumerate` reads it (Qt's screens unless given).
    explicit CDisplayWatcher(std::function<void(Displays)> changed,
                             std::function<Displays()> enumerate = {});

    // Something about the monitors changed: the list is read and handed over once the event
    // loop runs again, however many reports came meanwhile.
    void Changed();
    bool IsPending() const { return m_settle.isActive(); }

    // The list as Qt gives it now, in its order.
    static Displays Enumerate();

private:
    void Watch(QScreen* screen);

    std::function<void(Displays)> m_changed;
    std::function<Displays()> m_enumerate;
    QTimer m_settle;
};
