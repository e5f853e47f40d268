#pragma once
// The encoder settings a profile file describes: what the recording's two streams are encoded
// with. Read from the profile text, never guessed beside it.
#include <cstdint>
#include <optional>

struct RecordingProfile {
    struct Sound {
        int streamNumber = 0;
        int bitrate = 0; // bits a second
        int sampleRate = 0;
        int channels = 0;
        int blockAlign = 0;
    };
    struct Picture {
        int streamNumber = 0;
        int bitrate = 0; // bits a second
        int width = 0;
        int height = 0;
        std::int64_t frameInterval100ns = 0;
        std::int64_t maxKeyFrameSpacing100ns = 0;
        int quality = 0;
        bool variableBitrate = false;
        // The quality preset whose template the profile is (0 High, 1 Medium, 2 Low): the
        // containers other than WMV take their picture quality from it. High for a profile
        // that is none of the three.
        int qualityPreset = 0;
    };
    std::optional<Sound> sound;
    std::optional<Picture> picture;
};
