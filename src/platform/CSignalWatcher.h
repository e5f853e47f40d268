#pragma once
#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT into a call on the user-interface thread. A session that
// logs out ends its programs with these; they deserve an orderly exit, not a lost state.
class CSignalWatcher : public QObject {
public:
    explicit CSignalWatcher(std::function<void(int)> onSignal, QObject* parent = nullptr);
    ~CSignalWatcher() override;

private:
    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};
