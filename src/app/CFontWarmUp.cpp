#include "CFontWarmUp.h"

#include <fontconfig/fontconfig.h>

CFontWarmUp::CFontWarmUp() : m_thread([] { FcInit(); }) {}

CFontWarmUp::~CFontWarmUp() {
    if (m_thread.joinable())
        m_thread.join();
}
