#pragma once
// One recording as a GStreamer pipeline: our screen source feeding an appsrc, the microphone
// when there is one, the encoders set from the profile and the writer; the file name's suffix
// picks the container (WMV unless it ends in ".mp4" or ".webm").
// It is made when a recording starts and ends with it, so each recording has the frame size
// and profile of its start.
//
// Everything here is called on the user-interface thread, except the frame pump which runs on
// a thread of its own.
#include "CRecordingEncoders.h"
#include "RecordingProfile.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

class CScreen;
typedef struct _GstElement GstElement;
typedef struct _GstBufferPool GstBufferPool;

class CRecordingPipeline {
public:
    // Makes the sound source for a recording (a new, floating element), or null for none.
    using SoundSourceFactory = std::function<GstElement*()>;

    explicit CRecordingPipeline(CScreen& screen);
    ~CRecordingPipeline();
    CRecordingPipeline(const CRecordingPipeline&) = delete;
    CRecordingPipeline& operator=(const CRecordingPipeline&) = delete;

    // What kept a recording from starting.
    enum class Failure { None, MissingPlugin, File, DiskFull, Other };

    // Builds the pipeline for `profile` (with sound when the profile has a sound stream and
    // the factory gives a source), opens the devices and the file and runs. False, with the
    // reason (a sentence for the user) and its kind in LastFailure(), when it cannot run;
    // nothing is left running then.
    bool Start(const QString& path, const RecordingProfile& profile,
               const SoundSourceFactory& soundSource, QString* reason = nullptr);
    Failure LastFailure() const { return m_failure; }
    void Pause();
    void Resume();
    // Ends both streams, waits (bounded) until the writer has finished the file, and releases
    // everything. False when the file could not be finished. It may take seconds (a busy
    // encoder, a hung device), so the program calls it off the user-interface thread; nothing
    // else may be called meanwhile.
    bool Stop(QString* reason = nullptr);
    // How long Stop waits for the writer to finish the file.
    void SetFinishTimeout(std::chrono::milliseconds timeout) { m_finishTimeout = timeout; }
    bool IsRunning() const { return m_pipeline != nullptr; }
    bool IsPaused() const { return m_paused.load(); }
    bool HasSound() const { return m_soundSource != nullptr; }

    // Handles what the pipeline reported since the last call. A sound source that failed ends
    // the sound stream and the recording goes on with the picture only; returns a message for
    // the user when something like that happened. Any other error (the screen unreadable for
    // a second, a full disk, a failing encoder) is returned too and makes HasFailed() true:
    // the recording is over, and Stop finishes the file as far as it can be.
    QString PollMessages();
    bool HasFailed() const { return m_failed; }

    // What the pump did, in frame intervals (for tests and measurements): frames passed to the
    // encoder; intervals an earlier identical picture covers instead (no encoding); intervals
    // whose grab came too late because the machine was busy (the picture before covers them).
    long FramesPushed() const { return m_framesPushed.load(); }
    long FramesMerged() const { return m_framesMerged.load(); }
    long FramesLate() const { return m_framesLate.load(); }
    // Cuts a fragmented MP4 back to its last whole fragment. A fragmented MP4 whose writes
    // stopped inside a fragment's header is refused whole by common players (FFmpeg 5.1:
    // "corrupted TRUN atom", nothing decodes), and a full disk stops the writes wherever its
    // last page ends; the cut needs no room on the disk.
    static void TrimToWholeFragments(const QString& path);
    // How long the screen may stay unreadable before the recording fails.
    static constexpr std::int64_t kMaxFailedGrabsMs = 1000;

    // What keeps the microphone on the recording's clock did, up to now: gaps or surpluses it
    // made up at once, how far the sound lags the clock, and the resampling ratio's distance
    // from 1 (parts per million). The figures of the last recording stay after it has stopped.
    long SoundJumps() const;
    double SoundLagMs() const;
    double SoundRatioPpm() const;

    struct SoundClock;

private:
    void Pump();
    void ReportFailedGrabs();
    // The screen clock's reading at which the pipeline's running time was 0.
    std::uint32_t PipelineZeroMs() const;
    void EndSoundStream();
    void Teardown();

    CScreen& m_screen;
    GstElement* m_pipeline = nullptr; // owned
    GstElement* m_appsrc = nullptr;   // owned by the pipeline
    GstElement* m_sink = nullptr;     // owned by the pipeline
    GstElement* m_soundSource = nullptr;
    GstElement* m_soundEntry = nullptr;
    std::int64_t m_frameInterval100ns = 400000;
    unsigned m_maxQueuedFrames = 4;
    std::thread m_pump;
    std::atomic<bool> m_pumping{false};
    std::atomic<bool> m_paused{false};
    std::atomic<long> m_framesPushed{0};
    std::atomic<long> m_framesMerged{0};
    std::atomic<long> m_framesLate{0};
    std::atomic<long> m_framesGrabbed{0};
    std::atomic<std::int64_t> m_pictureEndNs{0};
    bool m_soundEnded = false;
    Failure m_failure = Failure::None;
    bool m_failed = false;
    // The file can take nothing more (its writes failed): there is no end to wait for.
    bool m_sinkFailed = false;
    QString m_sinkError;
    QString m_path;
    RecordingContainer m_container = RecordingContainer::Wmv;
    std::chrono::milliseconds m_finishTimeout{10000};
    std::shared_ptr<SoundClock> m_soundClock;
    struct PoolUnref {
        void operator()(GstBufferPool* pool) const;
    };
    std::unique_ptr<GstBufferPool, PoolUnref> m_framePool;
};
