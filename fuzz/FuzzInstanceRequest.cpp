// Request lines from other processes on the instance socket.
#include "CSingleInstance.h"
#include "CommandNames.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray line(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto request = CSingleInstance::ParseRequest(line);
    if (request && !request->activate && !CommandNames::Find(request->command))
        __builtin_trap(); // a command request always names a published command
    return 0;
}
