#include "CSessionType.h"

bool CSessionType::IsWayland(const QProcessEnvironment& environment) {
    return !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
           environment.value(QStringLiteral("XDG_SESSION_TYPE")).compare(
               QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
}
