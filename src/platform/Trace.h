#pragma once
// Diagnostic tracing. Trace() formats its arguments with printf rules and hands the result to
// every registered listener in the order they were added; with no listener nothing happens.
// User-interface thread only: the listener list has no lock.
#include "IFXTraceListener.h"

#if defined(__GNUC__)
#define RAVLIN_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define RAVLIN_PRINTF_FORMAT(fmt, args)
#endif

void Trace(const char* format, ...) RAVLIN_PRINTF_FORMAT(1, 2);

// The process-wide listener list. It does not own the listeners.
void AddTraceListener(IFXTraceListener* listener);
void RemoveTraceListener(IFXTraceListener* listener);
