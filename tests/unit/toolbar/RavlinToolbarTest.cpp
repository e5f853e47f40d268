// The toolbar window built from a small definition file: the layout in both orientations, the
// commands of its buttons, the record group, the page counter and the slide to a tab.
#include "CFakeDialogs.h"
#include "CRavlinMenuButton.h"
#include "CRavlinToolbar.h"
#include "IToolbarOwner.h"

#include "ToolbarTestSupport.h"

#include "QtPrinters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
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
    void FinishSlide() {
        for (now += 50; toolbar->Slide().sliding; now += 50)
            toolbar->AnimateStep(now);
    }
    static QRect WorkArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    void SendMouse(QEvent::Type type, QPoint global) {
        const QPointF local = toolbar->mapFromGlobal(QPointF(global));
        QMouseEvent event(type, local, QPointF(global), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(toolbar.get(), &event);
    }

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

TEST_F(RavlinToolbarTest, FirstPlaceIsTheTopCentreOfThePrimaryWorkArea) {
    const struct {
        const char* what;
        QRect workArea;
        QPoint expected;
    } rows[] = {
        {"at the origin", {0, 0, 1920, 1040}, {760, 10}},
        {"right of another monitor", {1280, 0, 1920, 1080}, {1280 + 760, 10}},
        {"under a top panel", {0, 32, 1920, 1048}, {760, 42}},
        {"odd width truncates", {0, 0, 1001, 700}, {300, 10}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CRavlinToolbar::FirstPlace(row.workArea, QSize(400, 48)), row.expected)
            << row.what;
    EXPECT_EQ(toolbar->pos(), CRavlinToolbar::FirstPlace(WorkArea(), QSize(400, 48)));
}

TEST_F(RavlinToolbarTest, LoadToolbarIsTracedOncePerStart) {
    CTraceCapture trace;
    CRavlinToolbar another(owner, dialogs, dir.path() + "/toolbar.xml");
    another.Create();
    EXPECT_EQ(trace.texts.count("LoadToolbar"), 1);
}

TEST_F(RavlinToolbarTest, WithoutItsSkinTheToolbarSaysWhichFileAndStaysUsable) {
    CTraceCapture trace;
    dialogs.notices.clear();
    CRavlinToolbar plain(owner, dialogs, dir.path() + "/toolbar.xml");
    plain.SetSkinFolder(dir.path() + "/toolbar");
    QDir().mkpath(dir.path() + "/toolbar");
    QImage piece(20, 48, QImage::Format_ARGB32);
    piece.fill(0xFF303540);
    piece.save(dir.path() + "/toolbar/bk_head.png");
    piece.save(dir.path() + "/toolbar/bk_tail.png");
    plain.Create();
    const QString missing = dir.path() + "/toolbar/bk_pad.png";
    ASSERT_EQ(dialogs.notices.size(), 1);
    EXPECT_TRUE(dialogs.notices[0].contains(missing)) << dialogs.notices[0].toStdString();
    EXPECT_TRUE(trace.texts.join("").contains(missing));
    // A flat bar, wholly visible, with its buttons where they belong.
    EXPECT_TRUE(plain.mask().xored(QRegion(0, 0, 400, 48)).isEmpty());
    EXPECT_EQ(plain.FindButton("A")->geometry(), QRect(10, 4, 40, 40));
    EXPECT_EQ(Grab(plain).pixel(5, 24), CToolbarSkin::kPlainBar);
}

TEST_F(RavlinToolbarTest, TurningOrMovingATabLeavesTheToolbarWholeOnTheScreen) {
    const QRect area = WorkArea();
    const struct {
        const char* what;
        bool vertical; // before the turn
        QPoint place;  // where it stood before it hid
        bool midSlide; // turned while still sliding to the tab
    } rows[] = {
        {"right-edge tab", false, {area.right() - 420, area.bottom() - 60}, false},
        {"left-edge tab", false, {area.left() + 5, area.bottom() - 60}, false},
        {"top tab", true, {area.right() - 60, area.top() + 100}, false},
        {"on the way to the right edge", false, {area.right() - 420, area.bottom() - 60}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        toolbar->SetVertical(row.vertical);
        toolbar->move(row.place);
        toolbar->HideToolbar();
        if (row.midSlide)
            toolbar->AnimateStep(now += 100);
        else
            FinishSlide();
        toolbar->SetVertical(!row.vertical);
        EXPECT_TRUE(toolbar->IsShown());
        EXPECT_FALSE(toolbar->Slide().sliding);
        EXPECT_EQ(toolbar->size(), row.vertical ? QSize(400, 48) : QSize(48, 400));
        EXPECT_TRUE(area.contains(toolbar->geometry()))
            << ::testing::PrintToString(toolbar->geometry());
        EXPECT_FALSE(toolbar->FindButton("A")->isHidden());
    }

    // A change of display brings a tab back whole, centred on the new display.
    toolbar->SetVertical(false);
    toolbar->HideToolbar();
    FinishSlide();
    const QRect display(100, 50, 600, 500);
    toolbar->CenterIn(display);
    EXPECT_TRUE(toolbar->IsShown());
    EXPECT_EQ(toolbar->geometry(), QRect(100 + (600 - 400) / 2, 60, 400, 48));
    EXPECT_FALSE(toolbar->FindButton("A")->isHidden());
    toolbar->ShowToolbar();
    FinishSlide();
    EXPECT_EQ(toolbar->geometry(), QRect(200, 60, 400, 48)) << "no slide to the old home";
}

TEST_F(RavlinToolbarTest, ADraggedToolbarComesBackFromItsTabToWhereItWasDragged) {
    toolbar->show();
    const QPoint start = toolbar->pos();
    SendMouse(QEvent::MouseButtonPress, start + QPoint(5, 5));
    SendMouse(QEvent::MouseMove, start + QPoint(45, 125));
    SendMouse(QEvent::MouseButtonRelease, start + QPoint(45, 125));
    const QRect dragged(start + QPoint(40, 120), QSize(400, 48));
    ASSERT_EQ(toolbar->geometry(), dragged);
    toolbar->HideToolbar();
    FinishSlide();
    ASSERT_EQ(toolbar->width(), 24);
    // A click on the tab.
    SendMouse(QEvent::MouseButtonPress, toolbar->geometry().center());
    SendMouse(QEvent::MouseButtonRelease, toolbar->geometry().center());
    FinishSlide();
    EXPECT_EQ(toolbar->geometry(), dragged);
}

TEST_F(RavlinToolbarTest, ItsOwnKeysBecomeCommands) {
    // X11 key codes and key symbols of a US keyboard: the main row's digits are the key codes
    // 10 to 13, the keypad's 87, 88, 89 and 83.
    const struct {
        const char* what;
        int key;
        Qt::KeyboardModifiers modifiers;
        quint32 keycode;
        quint32 keysym;
        std::vector<CommandId> sent;
    } rows[] = {
        {"Left", Qt::Key_Left, Qt::NoModifier, 113, 0xff51, {ID_PREVIOUS_PAGE}},
        {"Right", Qt::Key_Right, Qt::NoModifier, 114, 0xff53, {ID_NEXT_PAGE}},
        {"Delete", Qt::Key_Delete, Qt::NoModifier, 119, 0xffff, {ID_CLEAR}},
        {"1", Qt::Key_1, Qt::NoModifier, 10, 0x31, {ID_PEN}},
        {"2", Qt::Key_2, Qt::NoModifier, 11, 0x32, {ID_MARKER}},
        {"3", Qt::Key_3, Qt::NoModifier, 12, 0x33, {ID_ERASER}},
        {"4", Qt::Key_4, Qt::NoModifier, 13, 0x34, {ID_MOUSE}},
        {"keypad 1", Qt::Key_1, Qt::KeypadModifier, 87, 0xffb1, {}},
        {"keypad 2", Qt::Key_2, Qt::KeypadModifier, 88, 0xffb2, {}},
        {"keypad 3", Qt::Key_3, Qt::KeypadModifier, 89, 0xffb3, {}},
        {"keypad 4", Qt::Key_4, Qt::KeypadModifier, 83, 0xffb4, {}},
        {"N", Qt::Key_N, Qt::NoModifier, 57, 0x6e, {ID_NEW_PAGE}},
        {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier, 52, 0x7a, {ID_UNDO}},
        {"Ctrl+Shift+Z", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, 52, 0x5a, {ID_REDO}},
        {"Ctrl+Y", Qt::Key_Y, Qt::ControlModifier, 29, 0x79, {ID_REDO}},
        {"Z", Qt::Key_Z, Qt::NoModifier, 52, 0x7a, {}},
        {"Space", Qt::Key_Space, Qt::NoModifier, 65, 0x20, {}},
        {"Esc", Qt::Key_Escape, Qt::NoModifier, 9, 0xff1b, {}},
    };
    for (const auto& row : rows) {
        owner.sent.clear();
        const QString text = row.key >= Qt::Key_Space && row.key <= Qt::Key_Z
                                 ? QString(QChar(row.key)).toLower()
                                 : QString();
        QKeyEvent press(QEvent::KeyPress, row.key, row.modifiers, row.keycode, row.keysym, 0, text);
        QCoreApplication::sendEvent(toolbar.get(), &press);
        EXPECT_EQ(owner.sent, row.sent) << row.what;
        if (row.key == Qt::Key_Space) {
            EXPECT_TRUE(press.isAccepted()) << "Space goes no further, so it clicks nothing";
        }
    }
    EXPECT_TRUE(dialogs.questions.isEmpty());
}

TEST_F(RavlinToolbarTest, ShiftEscEndsTheProgramAtOnceWithoutTheQuestion) {
    QTimer::singleShot(0, toolbar.get(), [this] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::ShiftModifier, 9, 0xff1b, 1);
        QCoreApplication::sendEvent(toolbar.get(), &press);
    });
    QTimer safetyNet; // ends the loop should the key not
    safetyNet.setSingleShot(true);
    QObject::connect(&safetyNet, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    safetyNet.start(5000);
    // The application's own loop (its exit is what the key asks for).
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(owner.sent.empty());
    EXPECT_TRUE(dialogs.questions.isEmpty());
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
