// The recorded time and the recording dot beside the stop button: the toolbar makes room for
// them while recording and gives it back afterwards, in both orientations.
#include "CFakeDialogs.h"
#include "CRavlinToolbar.h"
#include "CRecordingIndicator.h"
#include "IToolbarOwner.h"

#include "QtPrinters.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class COwner : public IToolbarOwner {
public:
    void SendCommand(CommandId) override {}
    void FinishTextEntry() override {}
    bool IsRecording() const override { return recording; }
    bool IsPaused() const override { return false; }
    bool IsOwnerWindow(const QWindow*) const override { return false; }
    void GiveKeyboardTo(QWidget*) override {}
    bool recording = false;
};

// The record group as the real toolbar has it: stop shares the slot of record, pause and resume
// that of clip, and the last two buttons stand at a place of their own.
const char* const kDefinition = R"(<toolbar width="400" height="42">
  <buttons imagePath="" width="36" height="36" X="3" Y="3" arrowPad="16">
    <button name="save" image="a.png" id="1012" left="10"/>
    <button name="stop" image="s.png" visible="false" id="1018"/>
    <button name="record" image="r.png" menu="true" id="1005"/>
    <button name="pause" image="p.png" visible="false" id="1006"/>
    <button name="resume" image="q.png" visible="false" id="1017"/>
    <button name="clip" image="c.png" id="1019"/>
    <button name="hide" image="h.png" id="1013" left="300"/>
    <button name="exit" image="e.png" id="1007"/>
  </buttons>
  <vertical width="42" height="400">
    <buttons width="36" height="36" X="3" Y="3" arrowPad="12">
      <button name="save" top="10"/>
      <button name="stop" visible="false"/>
      <button name="record"/>
      <button name="pause" visible="false"/>
      <button name="resume" visible="false"/>
      <button name="clip"/>
      <button name="hide" top="300"/>
      <button name="exit"/>
    </buttons>
  </vertical>
</toolbar>)";

class RecordingIndicatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFile file(dir.path() + "/toolbar.xml");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kDefinition);
        file.close();
        toolbar = std::make_unique<CRavlinToolbar>(owner, dialogs, dir.path() + "/toolbar.xml",
                                                   [] { return 1000u; });
        toolbar->Create();
        toolbar->show();
    }
    QRect At(const char* name) const { return toolbar->FindButton(name)->geometry(); }
    void Record(bool on) {
        owner.recording = on;
        toolbar->SetRecordState(on);
        toolbar->SetPauseState(on, false);
        toolbar->SetRecordingTime("00:00:00", on, on);
    }

    QTemporaryDir dir;
    COwner owner;
    CFakeDialogs dialogs;
    std::unique_ptr<CRavlinToolbar> toolbar;
};

} // namespace

TEST_F(RecordingIndicatorTest, TheToolbarMakesRoomBesideTheStopButton) {
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical);
        if (vertical)
            toolbar->OnCmdVertical();
        const QSize idle = toolbar->size();
        const QRect hide = At("hide"), exit = At("exit");
        Record(true);
        const CRecordingIndicator* indicator = toolbar->RecordingIndicator();
        ASSERT_NE(indicator, nullptr);
        EXPECT_TRUE(indicator->isVisible());
        const QRect stop = At("stop"), time = indicator->geometry(), pause = At("pause");
        // Stop, then the time right after it, then pause; nothing overlaps.
        if (vertical) {
            EXPECT_EQ(time.top(), stop.bottom() + 1);
            EXPECT_GT(pause.top(), time.bottom());
            EXPECT_EQ(toolbar->width(), idle.width());
            EXPECT_GT(toolbar->height(), idle.height());
        } else {
            EXPECT_EQ(time.left(), stop.right() + 1);
            EXPECT_GT(pause.left(), time.right());
            EXPECT_EQ(toolbar->height(), idle.height());
            EXPECT_GT(toolbar->width(), idle.width());
        }
        const int grown =
            vertical ? toolbar->height() - idle.height() : toolbar->width() - idle.width();
        const QPoint moved = vertical ? QPoint(0, grown) : QPoint(grown, 0);
        EXPECT_EQ(At("hide"), hide.translated(moved)) << "the buttons after it move along";
        EXPECT_EQ(At("exit"), exit.translated(moved));
        EXPECT_TRUE(toolbar->rect().contains(At("exit")));

        // Turning the toolbar while recording keeps the room.
        toolbar->SetVertical(!vertical);
        toolbar->SetVertical(vertical);
        EXPECT_EQ(toolbar->size(), vertical ? QSize(idle.width(), idle.height() + grown)
                                            : QSize(idle.width() + grown, idle.height()));

        Record(false);
        EXPECT_FALSE(indicator->isVisible());
        EXPECT_EQ(toolbar->size(), idle);
        EXPECT_EQ(At("hide"), hide);
        EXPECT_EQ(At("exit"), exit);
    }
}

TEST_F(RecordingIndicatorTest, WhileTheFileIsSavedItStandsBesideTheRecordButton) {
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical);
        if (vertical)
            toolbar->OnCmdVertical();
        const QSize idle = toolbar->size();
        Record(true);
        const QSize recording = toolbar->size();
        // Stopped: the record button is back in its slot, and the indicator says the file is
        // being saved until it is.
        owner.recording = false;
        toolbar->SetRecordState(false);
        toolbar->SetPauseState(false, false);
        toolbar->SetRecordingTime("Saving", false, true);
        const CRecordingIndicator* indicator = toolbar->RecordingIndicator();
        ASSERT_NE(indicator, nullptr);
        EXPECT_TRUE(indicator->isVisible());
        const QRect record = At("record"), time = indicator->geometry(), clip = At("clip");
        if (vertical) {
            EXPECT_EQ(time.top(), record.bottom() + 1);
            EXPECT_GT(clip.top(), time.bottom());
        } else {
            EXPECT_EQ(time.left(), record.right() + 1);
            EXPECT_GT(clip.left(), time.right());
        }
        EXPECT_EQ(toolbar->size(), recording);
        toolbar->SetRecordingTime("00:00:00", false, false);
        EXPECT_FALSE(indicator->isVisible());
        EXPECT_EQ(toolbar->size(), idle);
    }
}

TEST_F(RecordingIndicatorTest, TheDotIsRedWhenLitAndTheTimeIsShown) {
    Record(true);
    CRecordingIndicator* indicator = toolbar->RecordingIndicator();
    ASSERT_NE(indicator, nullptr);
    for (bool lit : {true, false}) {
        SCOPED_TRACE(lit);
        toolbar->SetRecordingTime("00:01:23", lit, true);
        EXPECT_EQ(indicator->Time(), "00:01:23");
        const QImage picture = indicator->grab().toImage();
        const QColor centre =
            picture.pixelColor(indicator->DotRect().center() * picture.devicePixelRatio());
        const bool red = centre.red() > 200 && centre.green() < 80 && centre.alpha() > 200;
        EXPECT_EQ(red, lit) << centre.name(QColor::HexArgb).toStdString();
    }
}

TEST_F(RecordingIndicatorTest, AToolbarAtTheScreensEdgeGrowsInwards) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    toolbar->move(area.right() + 1 - toolbar->width(), area.top() + 50);
    Record(true);
    EXPECT_EQ(toolbar->geometry().right(), area.right());
    EXPECT_EQ(toolbar->y(), area.top() + 50);
}
