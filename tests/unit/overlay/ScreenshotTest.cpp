// Screenshots: what is taken, the file type each name gets, and failures the user is told of.
#include "CScreenshot.h"
#include "OverlayFixture.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

namespace {
TEST(Screenshot, FileTypeFollowsTheExtensionInAnyCase) {
    const struct {
        const char* name;
        const char* mime;
    } cases[] = {
        {"a.bmp", "image/bmp"},  {"a.BMP", "image/bmp"},    {"a.jpg", "image/jpeg"},
        {"a.JPG", "image/jpeg"}, {"a.jpeg", "image/jpeg"},  {"a.JpEg", "image/jpeg"},
        {"a.gif", "image/gif"},  {"a.png", "image/png"},    {"a", "image/png"},
        {"a.tiff", "image/png"}, {"/x.jpg/b", "image/png"}, {"a.b.gif", "image/gif"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CScreenshot::MimeForFileName(c.name), c.mime) << c.name;
}

class SaveTest : public OverlayFixture {
protected:
    void SetUp() override { CreateOverlay(); }
    QTemporaryDir dir;
};

TEST_F(SaveTest, SavesTheOverlayOrTheRegionInTheFormatOfTheName) {
    const struct {
        QRect region;
        const char* name;
        int filter;          // the file type chosen in the dialog; -1 leaves PNG
        const char* written; // the file that must exist afterwards
        QByteArray format;
        QSize size;
    } cases[] = {
        {QRect(), "whole", -1, "whole.png", "png", QSize(1920, 1040)},
        {QRect(), "shot", 1, "shot.jpg", "jpeg", QSize(1920, 1040)},
        {QRect(10, 20, 300, 100), "part.bmp", -1, "part.bmp", "bmp", QSize(300, 100)},
        {QRect(10, 20, 300, 100), "part.JPG", 3, "part.JPG", "jpeg", QSize(300, 100)},
        {QRect(10, 20, 300, 100), "part.jpeg", -1, "part.jpeg", "jpeg", QSize(300, 100)},
        {QRect(10, 20, 300, 100), "part.gif", -1, "part.gif", "gif", QSize(300, 100)},
        {QRect(10, 20, 300, 100), "part.v2", 0, "part.v2.bmp", "bmp", QSize(300, 100)},
    };
    for (const auto& c : cases) {
        overlay->clipRegion = c.region;
        dialogs.saveAnswer = dir.path() + "/" + c.name;
        dialogs.saveFilterAnswer = c.filter;
        overlay->OnCommand(ID_SAVE);
        QImageReader reader(dir.path() + "/" + c.written);
        EXPECT_EQ(reader.format(), c.format) << c.name;
        const QImage saved = reader.read();
        EXPECT_EQ(saved.size(), c.size) << c.name;
        EXPECT_NEAR(qBlue(saved.pixel(5, 5)), server.screenColour.blue(), 3) << c.name;
    }
    EXPECT_EQ(server.lastGrab, QRect(10, 20, 300, 100));
    EXPECT_TRUE(dialogs.warnings.isEmpty());
    EXPECT_EQ(dialogs.saveDialogs.first(),
              "Save As Bitmap(*.bmp)|JPEG(*.jpg)|PNG(*.png)|GIF(*.gif) 2");
}

TEST_F(SaveTest, TheGrabComesBeforeTheDialogAndAfterTheScreenCaughtUp) {
    dialogs.saveAnswer.clear(); // cancelled
    overlay->OnCommand(ID_SAVE);
    EXPECT_EQ(server.grabCalls, 1);
    EXPECT_EQ(server.syncCalls, 1);
    EXPECT_EQ(dialogs.saveDialogs.size(), 1);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(SaveTest, ReplacingAFileIsAskedFirst) {
    const QString path = dir.path() + "/shot.png";
    QFile existing(path);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();
    dialogs.saveAnswer = dir.path() + "/shot"; // the extension is added, then the question
    dialogs.answers = {false};
    overlay->OnCommand(ID_SAVE);
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions.first().startsWith("Confirm Save As: shot.png already exists."));
    QFile check(path);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "keep me");
}

TEST_F(SaveTest, AFailedWriteIsReportedAndLeavesNoFile) {
    QFile blocker(dir.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    dialogs.saveAnswer = dir.path() + "/file/shot.png";
    overlay->OnCommand(ID_SAVE);
    ASSERT_EQ(dialogs.warnings.size(), 1);
    EXPECT_TRUE(dialogs.warnings.first().contains(dir.path() + "/file/shot.png"))
        << dialogs.warnings.first().toStdString();
    EXPECT_TRUE(dialogs.warnings.first().contains("Not a directory"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/file/shot.png"));
}
} // namespace
