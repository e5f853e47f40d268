// The toolbar's keys 1 to 4 are the main keyboard row's keys by their place, as on the overlay:
// on AZERTY they type "&é\"'", and they must still choose the tools.
#include "CFakeDialogs.h"
#include "CRavlinToolbar.h"
#include "IToolbarOwner.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class CCommandsSent : public IToolbarOwner {
public:
    void SendCommand(CommandId id) override { sent.push_back(id); }
    void FinishTextEntry() override {}
    bool IsRecording() const override { return false; }
    bool IsPaused() const override { return false; }
    bool IsOwnerWindow(const QWindow*) const override { return false; }
    void GiveKeyboardTo(QWidget*) override {}
    std::vector<CommandId> sent;
};

TEST(ToolbarDigitKeys, FollowTheKeyboardRowNotTheCharacter) {
    QTemporaryDir dir;
    QFile file(dir.path() + "/toolbar.xml");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<toolbar width="100" height="48"><buttons imagePath="" width="40" height="40"
      X="4" Y="4"><button name="A" image="a.png" id="1003"/></buttons></toolbar>)");
    file.close();
    CCommandsSent owner;
    CFakeDialogs dialogs;
    CRavlinToolbar toolbar(owner, dialogs, dir.path() + "/toolbar.xml", [] { return 1000u; });
    toolbar.Create();

    const struct {
        int key;
        quint32 keyCode;
        Qt::KeyboardModifiers modifiers;
        std::vector<CommandId> commands;
    } cases[] = {
        {Qt::Key_Ampersand, 10, {}, {ID_PEN}},
        {Qt::Key_Eacute, 11, {}, {ID_MARKER}},
        {Qt::Key_QuoteDbl, 12, {}, {ID_ERASER}},
        {Qt::Key_Apostrophe, 13, {}, {ID_MOUSE}},
        {Qt::Key_3, 12, {}, {ID_ERASER}},
        {Qt::Key_1, 87, Qt::KeypadModifier, {}},
        {Qt::Key_ParenLeft, 14, {}, {}},
        // No key code (a synthesised event): the character decides, the keypad still not.
        {Qt::Key_4, 0, {}, {ID_MOUSE}},
        {Qt::Key_4, 0, Qt::KeypadModifier, {}},
    };
    for (const auto& c : cases) {
        owner.sent.clear();
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, c.keyCode, 0, 0);
        QCoreApplication::sendEvent(&toolbar, &press);
        EXPECT_EQ(owner.sent, c.commands) << "key code " << c.keyCode;
    }
}
} // namespace
