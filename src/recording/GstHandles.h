#pragma once
// Owning handles for GStreamer objects: each one drops its reference when it goes.
#include <gst/gst.h>
#include <memory>

struct CGstObjectUnref {
    void operator()(gpointer object) const {
        if (object)
            gst_object_unref(object);
    }
};
struct CGstMessageUnref {
    void operator()(GstMessage* message) const {
        if (message)
            gst_message_unref(message);
    }
};
template <typename T> using GstPtr = std::unique_ptr<T, CGstObjectUnref>;
using GstMessagePtr = std::unique_ptr<GstMessage, CGstMessageUnref>;
