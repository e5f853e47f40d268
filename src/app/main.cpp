#include "CRavlinApp.h"

int main(int argc, char** argv) {
    // Under Wayland the program runs through XWayland: global keys, stacking and click-through
    // need X11.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    CRavlinApp app(argc, argv);
    if (!app.InitInstance())
        return 0;
    const int result = app.exec();
    return app.ExitInstance(result);
}
