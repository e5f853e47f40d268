#include "CSignalWatcher.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};

void HandleSignal(int signal) {
    const unsigned char value = static_cast<unsigned char>(signal);
    // Only async-signal-safe work here: hand the number to the event loop.
    [[maybe_unused]] ssize_t written = ::write(g_pipe[1], &value, 1);
}

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
} // namespace

CSignalWatcher::CSignalWatcher(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char value = 0;
        if (::read(g_pipe[0], &value, 1) == 1 && m_onSignal)
            m_onSignal(value);
    });
    struct sigaction action {};
    action.sa_handler = HandleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

CSignalWatcher::~CSignalWatcher() {
    for (int signal : kSignals)
        ::signal(signal, SIG_DFL);
    delete m_notifier;
    for (int& fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}
