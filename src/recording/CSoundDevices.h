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
    // The same lookup among the devices the system lists, without the test sessions' override
    // of recordings' sound (the webcam's sound strip has an override of its own).
    static GstElement* CreateFirstMicrophone();
    // Whether a microphone is listed now (opens nothing).
    static bool HasAudioCaptureDevice();
};
