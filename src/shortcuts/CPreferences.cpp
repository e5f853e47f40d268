#include "CPreferences.h"

#include "CRavlinHotKeys.h"
#include "CRavlinPropertySheet.h"
#include "HotKeyTable.h"
#include "IDialogs.h"

#include <QPointer>

namespace {
// The sheet while it is open: a second request (a click on a warning, the command line) brings
// it forward instead of opening another one inside its modal loop.
QPointer<CRavlinPropertySheet> g_openSheet;
} // namespace

void CPreferences::Run(HotKeyTable& table, int& hotKeysEnabled, IDialogs& dialogs, QWidget* owner,
                       const IGlobalKeys* layout, const Balloon& balloon) {
    if (g_openSheet) {
        g_openSheet->raise();
        g_openSheet->activateWindow();
        return;
    }
    hotKeysEnabled = 0;
    {
        CRavlinPropertySheet sheet(table, layout, owner);
        g_openSheet = &sheet;
        const bool confirmed = dialogs.RunModal(sheet);
        g_openSheet = nullptr;
        if (confirmed) {
            sheet.Page().UpdateTable();
            table.DoUpdateHotKeys();
        }
    }
    const QString notice = UnavailableNotice(table);
    if (!notice.isEmpty() && balloon)
        balloon(QString::fromLatin1(kBalloonTitle), notice);
    hotKeysEnabled = 1;
}

QString CPreferences::UnavailableNotice(const HotKeyTable& table) {
    QString text;
    for (const auto& [name, entry] : table.Entries()) {
        if (entry.code == 0 || entry.valid)
            continue;
        if (text.isEmpty())
            text = "The Following keyboard shortcuts are not available:\n";
        text += QStringLiteral("\n%1:%2").arg(entry.label, entry.keyText);
    }
    if (!text.isEmpty())
        text += "\n\nClick to customize...";
    return text;
}
