#include "Trace.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {
std::vector<IFXTraceListener*>& Listeners() {
    static std::vector<IFXTraceListener*> listeners;
    return listeners;
}
} // namespace

void Trace(const char* format, ...) {
    if (Listeners().empty())
        return;
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        va_end(args);
        return;
    }
    QByteArray text(length, Qt::Uninitialized);
    std::vsnprintf(text.data(), static_cast<size_t>(length) + 1, format, args);
    va_end(args);
    const QString formatted = QString::fromUtf8(text);
    // Copy: a listener may remove itself while being written to.
    const auto listeners = Listeners();
    for (IFXTraceListener* listener : listeners)
        listener->Write(formatted);
}

void AddTraceListener(IFXTraceListener* listener) {
    Listeners().push_back(listener);
}

void RemoveTraceListener(IFXTraceListener* listener) {
    auto& list = Listeners();
    list.erase(std::remove(list.begin(), list.end(), listener), list.end());
}
