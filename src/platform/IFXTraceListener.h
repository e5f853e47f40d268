#pragma once
#include <QString>

// Receives every traced text, unchanged and in the order traced.
class IFXTraceListener {
public:
    virtual ~IFXTraceListener() = default;
    virtual void Write(const QString& text) = 0;
};
