#pragma once
// Finishes a recording's file on a thread of its own: ending the streams, waiting for the
// writer and releasing the devices can take seconds (a busy encoder, a hung device), and the
// program must not freeze meanwhile. The thread owns what it finishes, so letting go of the
// finisher before it is done (an exit that gave up waiting) leaves nothing dangling.
//
// The finisher itself belongs to the user-interface thread.
#include <QString>
#include <chrono>
#include <memory>

class CRecordingPipeline;
class CScreen;

class CRecordingFinisher {
public:
    // Starts finishing at once. The screen is the one the pipeline's frames come from.
    CRecordingFinisher(std::unique_ptr<CRecordingPipeline> pipeline,
                       std::unique_ptr<CScreen> screen);
    ~CRecordingFinisher();
    CRecordingFinisher(const CRecordingFinisher&) = delete;
    CRecordingFinisher& operator=(const CRecordingFinisher&) = delete;

    bool IsDone() const;
    // Waits up to `timeout`; true once done.
    bool Wait(std::chrono::milliseconds timeout) const;
    // Once done: whether the file was finished, and why not.
    bool Finished() const;
    QString Why() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
