#include "CRecordingFinisher.h"

#include "CRecordingPipeline.h"
#include "CScreen.h"

#include <condition_variable>
#include <mutex>
#include <thread>

struct CRecordingFinisher::State {
    std::unique_ptr<CRecordingPipeline> pipeline;
    std::unique_ptr<CScreen> screen;
    mutable std::mutex mutex;
    mutable std::condition_variable doneChanged;
    bool done = false;
    bool finished = false;
    QString why;
};

CRecordingFinisher::CRecordingFinisher(std::unique_ptr<CRecordingPipeline> pipeline,
                                       std::unique_ptr<CScreen> screen)
    : m_state(std::make_shared<State>()) {
    m_state->pipeline = std::move(pipeline);
    m_state->screen = std::move(screen);
    // Detached: the thread keeps the state alive for as long as it needs it, whether or not
    // anyone still waits for it.
    std::thread([state = m_state] {
        QString why;
        const bool finished = !state->pipeline || state->pipeline->Stop(&why);
        // The pipeline goes before its screen: its frames came from there.
        state->pipeline.reset();
        state->screen.reset();
        std::lock_guard lock(state->mutex);
        state->finished = finished;
        state->why = why;
        state->done = true;
        state->doneChanged.notify_all();
    }).detach();
}

CRecordingFinisher::~CRecordingFinisher() = default;

bool CRecordingFinisher::IsDone() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->done;
}

bool CRecordingFinisher::Wait(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_state->mutex);
    return m_state->doneChanged.wait_for(lock, timeout, [this] { return m_state->done; });
}

bool CRecordingFinisher::Finished() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->finished;
}

QString CRecordingFinisher::Why() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->why;
}
