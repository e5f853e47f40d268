#pragma once
// The encoders and the writer of a recording, chosen by the file's container: WMV (WMV 8 and
// WMA 2 in ASF), MP4 (H.264 and AAC, fragmented) or WebM (VP8 and Opus). The profile gives the
// frame rate, the key-frame spacing, the sound format and the bit rates; how each codec uses
// those bit rates is said beside its settings. The MP4 and WebM pictures are encoded for a
// constant quality per preset instead (see QualityRateControl).
#include "RecordingProfile.h"

#include <QString>
#include <QStringList>

typedef struct _GstElement GstElement;

enum class RecordingContainer { Wmv, Mp4, WebM };

// How the MP4 and WebM pictures spend their bits: for a constant quality (x264's rate factor,
// VP8's quality level), so that a still slide costs next to nothing and text stays sharp
// whatever the screen shows, under a cap for a screen in full motion. Bit rates for the
// picture's size and frame rate.
struct QualityRateControl {
    int x264RateFactor = 0;  // 0 (lossless) to 51
    int vp8QualityLevel = 0; // 0 (best) to 63
    int capBitrate = 0;      // bits a second
    // How long H.264 may run above the cap before it is held to it (VP8 keeps its own buffer
    // of 6 s, 4 s at first).
    int bufferMs = 0;
};

class CRecordingEncoders {
public:
    static QualityRateControl RateControlFor(const RecordingProfile::Picture& picture);

    // The Save As dialog's filters; the first, WMV, is the default.
    static QStringList SaveAsFilters();
    // The container a file name asks for; any name not ending in ".mp4" or ".webm" is WMV.
    static RecordingContainer ContainerFor(const QString& path);
    // The encoders and the writer a container's recording is made of (with the sound encoder
    // or without), and the Debian package a GStreamer element comes from: the message for a
    // missing element names the element and what to install.
    static QStringList ElementsFor(RecordingContainer container, bool withSound);
    static QString PackageOf(const QString& element);

    // New, floating elements, or null when the plugin is missing.
    static GstElement* MakeVideoEncoder(RecordingContainer container,
                                        const RecordingProfile::Picture& picture);
    static GstElement* MakeSoundEncoder(RecordingContainer container,
                                        const RecordingProfile::Sound& sound);
    static GstElement* MakeWriter(RecordingContainer container);
    // The sample rate the sound encoder is fed: the profile's, except for Opus, which takes
    // 48 kHz only.
    static int SoundSampleRate(RecordingContainer container, const RecordingProfile::Sound& sound);
};
