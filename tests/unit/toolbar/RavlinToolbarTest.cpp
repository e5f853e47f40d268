// The toolbar window built from a small definition file: the layout in both orientations, the
// commands of its buttons, the record group, the page counter and the slide to a tab.
#include "CFakeDialogs.h"
#include "CRavlinMenuButton.h"
#include "CRavlinToolbar.h"
#include "IToolbarOwner.h"

#include <QAbstractButton>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class CFakeOwner : public IToolbarOwner {
public:
    void SendCommand(CommandId id) override { sent.push_back(id); }
    void FinishTextEntry() override { sent.push_back(0); } // 0 marks "text finished"
    bool IsRecording() const override { return recording; }
    bool IsPaused() const override { return paused; }
    bool IsOwnerWindow(const QWindow*) const override { return false; }
    void GiveKeyboardTo(QWidget*) override {}
    std::vector<CommandId> sent;
    bool recording = false;
    bool paused = false;
};

// Buttons A to F of a horizontal and a vertical list; B drops down the pen popup.
const char* const kDefinition = R"(<toolbar width="400" height="48">
  <buttons imagePath="" width="40" height="40" X="10" Y="4" arrowPad="12"
           contentWidth="24" contentHeight="24">
    <button name="A" image="a.png" id="1003"/>
    <button name="pen" image="b.png" menu="true" id="1000"/>
    <button name="C" image="c.png" visible="false" id="1013"/>
    <button name="D" image="d.png" id="1009"/>
    <button name="E" image="e.png" left="300" id="1011"/>
    <button name="F" image="f.png" id="1016"/>
    <button name="record" image="r.png" menu="true" id="1005"/>
    <button name="stop" image="s.png" id="1018"/>
    <button name="clip" image="c.png" id="1019"/>
    <button name="pause" image="p.png" id="1006"/>
    <button name="resume" image="q.png" id="1017"/>
    <button name="pageInfo" text="1 / 1"/>
  </buttons>
  <vertical width="48" height="400">
    <buttons width="40" height="40" X="4" Y="10" arrowPad="12">
      <button name="A"/><button name="pen"/><button name="C" visible="false"/>
      <button name="D"/><button name="E" top="300"/><button name="F"/>
    </buttons>
  </vertical>
</toolbar>)";

class RavlinToolbarTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFile file(dir.path() + "/toolbar.xml");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kDefinition);
        file.close();
        toolbar = std::make_unique<CRavlinToolbar>(owner, dialogs, dir.path() + "/toolbar.xml",
                                                   [this] { return now; });
        toolbar->Create();
    }
    QRect At(const char* name) const { return toolbar->FindButton(name)->geometry(); }

    QTemporaryDir dir;
    CFakeOwner owner;
    CFakeDialogs dialogs;
    quint32 now = 1000;
    std::unique_ptr<CRavlinToolbar> toolbar;
};

TEST_F(RavlinToolbarTest, LaysOutBothOrientations) {
    EXPECT_EQ(toolbar->size(), QSize(400, 48));
    EXPECT_EQ(At("A"), QRect(10, 4, 40, 40));
    EXPECT_EQ(At("pen"), QRect(50, 4, 52, 40)) << "a drop-down gets its arrow strip";
    EXPECT_EQ(At("C"), QRect(102, 4, 40, 40));
    EXPECT_EQ(At("D"), QRect(102, 4, 40, 40)) << "a hidden button gives its place away";
    EXPECT_EQ(At("E"), QRect(300, 4, 40, 40));
    EXPECT_EQ(At("F"), QRect(340, 4, 40, 40));
    EXPECT_FALSE(dynamic_cast<CRavlinMenuButton*>(toolbar->FindButton("pen"))->ArrowAtBottom());

    toolbar->OnCmdVertical();
    EXPECT_EQ(toolbar->size(), QSize(48, 400));
    EXPECT_EQ(At("A"), QRect(4, 10, 40, 40));
    EXPECT_EQ(At("pen"), QRect(4, 50, 40, 52));
    EXPECT_EQ(At("D"), QRect(4, 102, 40, 40));
    EXPECT_EQ(At("E"), QRect(4, 300, 40, 40));
    EXPECT_EQ(At("F"), QRect(4, 340, 40, 40));
    EXPECT_TRUE(dynamic_cast<CRavlinMenuButton*>(toolbar->FindButton("pen"))->ArrowAtBottom());
}

TEST_F(RavlinToolbarTest, ClicksBecomeCommandsAfterTheTextIsFinished) {
    const struct {
        int id;
        std::vector<CommandId> sent;
    } cases[] = {
        {1003, {0, ID_MOUSE}},
        {1000, {0, ID_PEN}},
        {1009, {0, ID_NEW_PAGE}},
        {1011, {0, ID_PREVIOUS_PAGE}},
        {1016, {ID_TEXT}},
        {1014, {}},
        {0, {}},
    };
    for (const auto& c : cases) {
        owner.sent.clear();
        toolbar->OnButtonClicked(c.id);
        EXPECT_EQ(owner.sent, c.sent) << c.id;
    }
}

TEST_F(RavlinToolbarTest, QualityChoiceSetsTheQualityAndOnlyTheBodyRecords) {
    auto* record = dynamic_cast<CRavlinMenuButton*>(toolbar->FindButton("record"));
    ASSERT_NE(record, nullptr);
    ASSERT_TRUE(record->HasMenu());
    dialogs.popupChoice = ID_QUALITY_LOW;
    record->OnShowMenu();
    EXPECT_EQ(owner.sent, (std::vector<CommandId>{0, ID_QUALITY_LOW}));
    const auto& items = record->Menu()->items;
    EXPECT_FALSE(items[0].checked);
    EXPECT_TRUE(items[2].checked) << "the check mark moved to the choice";

    owner.sent.clear();
    dialogs.popupChoice = 0;
    record->OnShowMenu(); // dismissed: nothing is chosen, nothing is recorded
    toolbar->OnButtonClicked(1005);
    EXPECT_EQ(owner.sent.back(), ID_RECORD) << "the body starts a recording";
}

TEST_F(RavlinToolbarTest, StopStopsEvenAfterAQualityChoice) {
    // The drop-down keeps its last choice; the Stop button must not read it as its own.
    auto* record = dynamic_cast<CRavlinMenuButton*>(toolbar->FindButton("record"));
    ASSERT_NE(record, nullptr);
    dialogs.popupChoice = ID_QUALITY_MEDIUM;
    record->OnShowMenu();
    owner.sent.clear();
    toolbar->OnButtonClicked(1018);
    EXPECT_EQ(owner.sent, (std::vector<CommandId>{0, ID_RECORD}));
}

TEST_F(RavlinToolbarTest, RecordGroupFollowsTheRecordingState) {
    auto visible = [&](const char* name) { return !toolbar->FindButton(name)->isHidden(); };
    EXPECT_TRUE(visible("record"));
    EXPECT_TRUE(visible("clip"));
    EXPECT_FALSE(visible("stop"));
    EXPECT_FALSE(visible("pause"));
    toolbar->SetRecordState(true);
    toolbar->SetPauseState(true, false);
    EXPECT_FALSE(visible("record"));
    EXPECT_TRUE(visible("stop"));
    EXPECT_TRUE(visible("pause"));
    EXPECT_FALSE(visible("clip"));
    toolbar->SetPauseState(true, true);
    EXPECT_FALSE(visible("pause"));
    EXPECT_TRUE(visible("resume"));
    // A layout applies the same rules from the owner's state.
    owner.recording = true;
    owner.paused = true;
    toolbar->UpdateButtonVisibility(true);
    EXPECT_TRUE(visible("resume"));
    EXPECT_FALSE(visible("record"));
}

TEST_F(RavlinToolbarTest, PageCounterShowsTheCurrentPage) {
    auto* counter = dynamic_cast<QAbstractButton*>(toolbar->FindButton("pageInfo"));
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(counter->text(), "1 / 1");
    toolbar->SetPageInfo(2, 3);
    EXPECT_EQ(counter->text(), "3 / 3");
}

TEST_F(RavlinToolbarTest, HideButtonSlidesToATabThatBringsItBack) {
    toolbar->show();
    const QRect home = toolbar->geometry();
    toolbar->OnButtonClicked(1013);
    EXPECT_FALSE(toolbar->IsShown());
    for (now = 1050; toolbar->Slide().sliding; now += 50)
        toolbar->AnimateStep(now);
    EXPECT_EQ(toolbar->width(), 24);
    EXPECT_EQ(toolbar->y(), home.y());
    EXPECT_TRUE(toolbar->FindButton("A")->isHidden()) << "a tab shows no button";
    toolbar->Toggle();
    for (now += 50; toolbar->Slide().sliding; now += 50)
        toolbar->AnimateStep(now);
    EXPECT_EQ(toolbar->geometry(), home);
    EXPECT_FALSE(toolbar->FindButton("A")->isHidden());
}

TEST(RavlinToolbarWithoutDefinition, ComesUpEmptyAndSaysSo) {
    QTemporaryDir dir;
    CFakeOwner owner;
    CFakeDialogs dialogs;
    CRavlinToolbar toolbar(owner, dialogs, dir.path() + "/missing.xml");
    toolbar.Create();
    EXPECT_EQ(toolbar.size(), QSize(0, 0));
    EXPECT_EQ(dialogs.warnings,
              (QStringList{"Ravlin: Error loading toolbar", "Ravlin: Config toolbar failed"}));
}
} // namespace
