// The names of key combinations as the user reads them.
#include "HotKeyText.h"
#include "CFakeGlobalKeys.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {
TEST(HotKeyText, ModifiersInTheOrderCtrlShiftAltThenTheKey) {
    CFakeGlobalKeys layout;
    layout.layoutNames[0xBA] = QString::fromUtf8("Ö");
    const struct {
        quint16 code, modifiers;
        const IGlobalKeys* layout;
        const char* text;
    } cases[] = {
        {0x58, 0x03, nullptr, "Ctrl + Shift + X"},
        {0x50, 0x05, nullptr, "Shift + Alt + P"},
        {0x53, 0x07, nullptr, "Ctrl + Shift + Alt + S"},
        {0x75, 0x00, nullptr, "F6"},
        {0x87, 0x00, nullptr, "F24"},
        {0x2E, 0x02, nullptr, "Ctrl + Delete"},
        {0x61, 0x00, nullptr, "Num 1"},
        {0x20, 0x04, nullptr, "Alt + Space"},
        {0x00, 0x05, nullptr, "None"},
        {0xBA, 0x00, nullptr, ";"},
        {0xBA, 0x02, &layout, "Ctrl + Ö"},
        {0x39, 0x08, nullptr, "9"}, // the extended flag names nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(HotKeyText(c.code, c.modifiers, c.layout), QString::fromUtf8(c.text))
            << c.code << "/" << c.modifiers;
}
} // namespace
