#include "CDisplayWatcher.h"

#include "Trace.h"

#include <QGuiApplication>
#include <QScreen>

CDisplayWatcher::CDisplayWatcher(std::function<void(Displays)> changed,
                                 std::function<Displays()> enumerate)
    : m_changed(std::move(changed)),
      m_enumerate(enumerate ? std::move(enumerate) : &CDisplayWatcher::Enumerate) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(0);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        Displays displays = m_enumerate();
        Trace("Displays changed: %d\n", static_cast<int>(displays.size()));
        if (m_changed)
            m_changed(std::move(displays));
    });
    if (!qGuiApp)
        return;
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        Watch(screen);
        Changed();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &CDisplayWatcher::Changed);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &CDisplayWatcher::Changed);
    for (QScreen* screen : QGuiApplication::screens())
        Watch(screen);
}

void CDisplayWatcher::Watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &CDisplayWatcher::Changed,
            Qt::UniqueConnection);
    connect(screen, &QScreen::availableGeometryChanged, this, &CDisplayWatcher::Changed,
            Qt::UniqueConnection);
    // Qt 6.4 has no signal of its own for the device pixel ratio; it changes with the density.
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, &CDisplayWatcher::Changed,
            Qt::UniqueConnection);
}

void CDisplayWatcher::Changed() {
    m_settle.start();
}

CDisplayWatcher::Displays CDisplayWatcher::Enumerate() {
    _DisplayContext fresh;
    fresh.EnumerateDisplays();
    return fresh.Displays();
}
