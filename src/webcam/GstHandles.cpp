#include "GstHandles.h"

#include "CSoundDevices.h"
#include "Trace.h"

bool EnsureGstreamer() {
    // One start of GStreamer for the whole program, shared with recording.
    return CSoundDevices::InitMedia();
}

GstElement* SourceFromDescription(const char* what, const QByteArray& description) {
    // Ended by an element of ours, so the description may end in caps, as gst-launch
    // descriptions of a source often do.
    const QByteArray full = description + " ! identity";
    GError* error = nullptr;
    GstElement* bin = gst_parse_bin_from_description(full.constData(), TRUE, &error);
    if (error) {
        Trace("%s \"%s\": %s\n", what, description.constData(), error->message);
        g_error_free(error);
        // A description with errors may still give a half-built bin: not a source.
        if (bin)
            gst_object_unref(gst_object_ref_sink(bin));
        return nullptr;
    }
    return bin;
}

GstPipelineRef PlayThroughAppsink(const char* pipelineName,
                                  const std::function<GstElement*()>& makeSource,
                                  const char* converter, const char* sinkName,
                                  const std::function<void(GstElement*)>& setUpSink) {
    if (!EnsureGstreamer())
        return nullptr;
    GstElement* source = makeSource();
    if (!source)
        return nullptr;
    GstPipelineRef pipeline(gst_pipeline_new(pipelineName));
    GstElement* convert = gst_element_factory_make(converter, nullptr);
    GstElement* sink = gst_element_factory_make("appsink", sinkName);
    if (!pipeline || !convert || !sink) {
        for (GstElement* element : {source, convert, sink})
            if (element)
                gst_object_unref(gst_object_ref_sink(element));
        return nullptr;
    }
    // Once in the bin, the elements go with the pipeline whatever happens next.
    gst_bin_add_many(GST_BIN(pipeline.get()), source, convert, sink, nullptr);
    if (!gst_element_link_many(source, convert, sink, nullptr))
        return nullptr;
    setUpSink(sink);
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return nullptr;
    return pipeline;
}
