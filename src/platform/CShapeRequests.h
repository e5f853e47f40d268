#pragma once
// A window shape of many rectangles sent to the display server as several requests, each under
// the most bytes the server takes in one request: a request longer than that ends the program's
// connection to it, and the program with it.
#include <cstddef>
#include <vector>

class CShapeRequests {
public:
    // A rectangle list request's own fields, with the longer length field of a big request.
    static constexpr size_t kHeaderBytes = 20;
    static constexpr size_t kRectBytes = 8;

    struct CBatch {
        int first = 0; // the first rectangle sent in this request
        int count = 0;
        size_t Bytes() const { return kHeaderBytes + kRectBytes * static_cast<size_t>(count); }
    };

    // The requests for `rects` rectangles, in order, each at most `mostRequestBytes` long. No
    // rectangles still take one request (the empty shape). Zero batches when not even one
    // rectangle fits a request.
    static std::vector<CBatch> Split(int rects, size_t mostRequestBytes);
};
