#pragma once
// Owning handles for xcb replies and errors: they are malloc'ed by libxcb and freed with free().
#include <cstdlib>
#include <memory>

struct CXcbFree {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, CXcbFree>;
