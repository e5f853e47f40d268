#pragma once
// The sound branch of the webcam window: the first microphone's peak level, computed on the
// sound's streaming thread and read by the window's paint.
//
// RAVLIN_WEBCAM_MICROPHONE, when set, is a pipeline description used instead of the first
// microphone.
#include "GstHandles.h"

#include <atomic>

class CMicrophoneLevel {
public:
    CMicrophoneLevel() = default;
    ~CMicrophoneLevel() { Stop(); }
    CMicrophoneLevel(const CMicrophoneLevel&) = delete;
    CMicrophoneLevel& operator=(const CMicrophoneLevel&) = delete;

    // Runs the branch for the first microphone; false when there is none or it cannot run.
    bool Start();
    // The level keeps its last value.
    void Stop();
    // Checks the branch for errors; false once it has failed (it is then stopped).
    bool Poll();
    bool IsRunning() const { return m_pipeline != nullptr; }
    // 0 to 100. Safe from any thread.
    int Level() const { return m_level.load(std::memory_order_relaxed); }

private:
    static GstFlowReturn OnNewSample(GstElement* sink, gpointer self);
    GstElement* MakeSource() const;

    GstPipelineRef m_pipeline;
    // Written by the streaming thread, read by the paint.
    std::atomic<int> m_level{0};
};
