#include "CSoundServer.h"

#include "CVirtualSession.h"

extern CVirtualSession* g_session;

CSoundServer::CSoundServer() {
    m_server = std::make_unique<QProcess>();
    m_server->setProcessEnvironment(g_session->Environment());
    m_server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server->start("pulseaudio",
                    {"--daemonize=no", "--exit-idle-time=-1", "-n", "--disallow-exit",
                     "--use-pid-file=false", "-L", "module-native-protocol-unix", "-L",
                     "module-null-sink sink_name=nullsink", "-L", "module-always-sink", "-L",
                     "module-remap-source master=nullsink.monitor source_name=mic "
                     "source_properties=device.description=Microphone"});
    if (!m_server->waitForStarted(5000))
        return;
    const bool up = WaitFor(
        [] {
            int code = -1;
            g_session->Run("pactl", {"info"}, &code, 3000);
            return code == 0;
        },
        15000);
    if (!up)
        return;
    m_ready = SetToneVolume(0.5);
}

bool CSoundServer::SetToneVolume(double volume) {
    StopTone();
    m_tone = std::make_unique<QProcess>();
    m_tone->setProcessEnvironment(g_session->Environment());
    m_tone->start("gst-launch-1.0",
                  {"-q", "audiotestsrc", "is-live=true", "freq=440",
                   "volume=" + QString::number(volume), "!", "pulsesink", "device=nullsink"});
    return m_tone->waitForStarted(5000);
}

void CSoundServer::StopTone() {
    if (m_tone && m_tone->state() != QProcess::NotRunning) {
        m_tone->terminate();
        if (!m_tone->waitForFinished(5000))
            m_tone->kill();
        m_tone->waitForFinished(2000);
    }
}

CSoundServer::~CSoundServer() {
    StopTone();
    if (m_server && m_server->state() != QProcess::NotRunning) {
        m_server->terminate();
        if (!m_server->waitForFinished(5000))
            m_server->kill();
        m_server->waitForFinished(2000);
    }
}

void CSoundServer::Kill() {
    if (m_server && m_server->state() != QProcess::NotRunning) {
        m_server->kill();
        m_server->waitForFinished(5000);
    }
}
