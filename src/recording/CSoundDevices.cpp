#include "CSoundDevices.h"

#include "GstHandles.h"

#include <QByteArray>
#include <cstring>
#include <malloc.h>
#include <mutex>

namespace {

// A test session can name the sound source of recordings (a GStreamer description such as
// "audiotestsrc is-live=true"); "none" means no microphone.
const char* kSourceOverride = "RAVLIN_SOUND_SOURCE";

bool IsMonitor(GstDevice* device) {
    GstStructure* properties = gst_device_get_properties(device);
    if (!properties)
        return false;
    const char* deviceClass = gst_structure_get_string(properties, "device.class");
    const bool monitor = deviceClass && std::strcmp(deviceClass, "monitor") == 0;
    gst_structure_free(properties);
    return monitor;
}

template <typename Visit> void ForEachMicrophone(Visit visit) {
    GstPtr<GstDeviceMonitor> monitor(gst_device_monitor_new());
    gst_device_monitor_add_filter(monitor.get(), "Audio/Source", nullptr);
    GList* devices = gst_device_monitor_get_devices(monitor.get());
    bool more = true;
    for (GList* item = devices; item && more; item = item->next) {
        auto* device = GST_DEVICE(item->data);
        if (!IsMonitor(device))
            more = visit(device);
    }
    g_list_free_full(devices, gst_object_unref);
}

} // namespace

bool CSoundDevices::InitMedia() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        // Frames and the encoders' pictures are megabytes each and are freed on other threads
        // than the ones that made them; left to glibc's sliding threshold they end up in
        // per-thread heaps that keep growing from one recording to the next (measured: +40 MB
        // over 20 recordings). Served by mmap, they go back to the system when freed.
        mallopt(M_MMAP_THRESHOLD, 256 * 1024);
        ok = gst_init_check(nullptr, nullptr, nullptr);
    });
    return ok;
}

GstElement* CSoundDevices::FindAudioCaptureDevice() {
    if (!InitMedia())
        return nullptr;
    const QByteArray override = qgetenv(kSourceOverride);
    if (!override.isEmpty()) {
        if (override == "none")
            return nullptr;
        return gst_parse_bin_from_description(override.constData(), TRUE, nullptr);
    }
    return CreateFirstMicrophone();
}

GstElement* CSoundDevices::CreateFirstMicrophone() {
    if (!InitMedia())
        return nullptr;
    GstElement* element = nullptr;
    ForEachMicrophone([&](GstDevice* device) {
        element = gst_device_create_element(device, "microphone");
        return element == nullptr;
    });
    return element;
}

bool CSoundDevices::HasAudioCaptureDevice() {
    if (!InitMedia())
        return false;
    const QByteArray override = qgetenv(kSourceOverride);
    if (!override.isEmpty())
        return override != "none";
    bool found = false;
    ForEachMicrophone([&](GstDevice*) {
        found = true;
        return false;
    });
    return found;
}
