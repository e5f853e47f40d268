#pragma once
// Finds the microphone for recordings (and the webcam's sound strip): the first sound capture
// device the system lists that is not the monitor of a sound output.
typedef struct _GstElement GstElement;

class CSoundDevices {
public:
    // Starts GStreamer once for the process; false when it cannot start.
    static bool InitMedia();
    // A new source element for the first microphone, or null when there is none.
    static GstElement* FindAudioCaptureDevice();
    // Whether a microphone is listed now (opens nothing).
    static bool HasAudioCaptureDevice();
};
