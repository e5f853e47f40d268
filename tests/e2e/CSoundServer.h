#pragma once
// A private PulseAudio server for end-to-end tests: a null sink, a microphone made from the
// sink's monitor (a "filter" source, which the program takes for a real microphone) and a tone
// played into the sink. It lives in the session's runtime folder, where the program finds it.
#include <QProcess>
#include <memory>

class CSoundServer {
public:
    CSoundServer();
    ~CSoundServer();
    bool IsReady() const { return m_ready; }
    // Plays the tone anew at `volume` (0 to 1 of full scale; 0 plays silence). False when the
    // player did not start.
    bool SetToneVolume(double volume);
    // Ends the server at once, as a crash would.
    void Kill();

private:
    void StopTone();

    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_tone;
    bool m_ready = false;
};
