// Without a compositor the overlay's window takes the shape of its ink: on a real X server a
// dense shape arrives whole, in one request or in several, and the connection lives on.
#include "E2eSession.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {
TEST(ShapeE2e, DenseInkShapesArriveWholeInOneRequestOrInSeveral) {
    // 0: the server's own limit; 4096 bytes: every shape goes in several requests.
    for (const char* most : {"0", "4096"}) {
        int code = -1;
        const QByteArray out = g_session->Run(
            QCoreApplication::applicationDirPath() + "/e2e_shape_probe", {most}, &code, 60000);
        EXPECT_EQ(code, 0) << most << ":\n" << out.toStdString();
        EXPECT_EQ(out.count("whole"), 3) << most << ":\n" << out.toStdString();
        printf("%s", out.constData());
    }
}
} // namespace
