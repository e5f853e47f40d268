#pragma once
// Owning handles for GStreamer objects: each drops its one reference when it goes.
#include <QByteArray>
#include <functional>
#include <gst/gst.h>
#include <memory>

struct CGstUnref {
    void operator()(gpointer object) const {
        if (object)
            gst_object_unref(object);
    }
};
struct CGstSampleUnref {
    void operator()(GstSample* sample) const { gst_sample_unref(sample); }
};
struct CGstMessageUnref {
    void operator()(GstMessage* message) const { gst_message_unref(message); }
};
struct CGstCapsUnref {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
template <typename T> using GstRef = std::unique_ptr<T, CGstUnref>;
using GstSampleRef = std::unique_ptr<GstSample, CGstSampleUnref>;
using GstMessageRef = std::unique_ptr<GstMessage, CGstMessageUnref>;
using GstCapsRef = std::unique_ptr<GstCaps, CGstCapsUnref>;

// A running pipeline goes to NULL before its last reference drops, so that its streaming
// threads have ended by then.
struct CGstPipelineStop {
    void operator()(GstElement* pipeline) const {
        if (pipeline) {
            gst_element_set_state(pipeline, GST_STATE_NULL);
            gst_object_unref(pipeline);
        }
    }
};
using GstPipelineRef = std::unique_ptr<GstElement, CGstPipelineStop>;

// Makes GStreamer ready once per process; false when it cannot start.
bool EnsureGstreamer();
// A source made from a pipeline description that a test session names instead of a device;
// null (and a trace line) when the description does not parse.
GstElement* SourceFromDescription(const char* what, const QByteArray& description);
// `source ! converter ! appsink` in a pipeline of its own, playing: GStreamer started, the
// source made, the sink set up by `setUpSink` before the pipeline plays. Null when GStreamer,
// the source or an element is missing, they do not link or the pipeline refuses to play.
GstPipelineRef PlayThroughAppsink(const char* pipelineName,
                                  const std::function<GstElement*()>& makeSource,
                                  const char* converter, const char* sinkName,
                                  const std::function<void(GstElement*)>& setUpSink);
