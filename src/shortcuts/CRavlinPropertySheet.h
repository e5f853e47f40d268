#pragma once
// "Ravlin Preferences": the list of pages on the left, the chosen page beside it, OK and
// Cancel. It has one page, the keyboard shortcuts.
#include <QDialog>

class CRavlinHotKeys;
class HotKeyTable;
class IGlobalKeys;
class QDialogButtonBox;
class QListWidget;

class CRavlinPropertySheet : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNavigationWidth = 130;

    CRavlinPropertySheet(HotKeyTable& table, const IGlobalKeys* layout, QWidget* owner = nullptr);

    CRavlinHotKeys& Page() { return *m_page; }
    QListWidget& Pages() { return *m_pages; }
    QDialogButtonBox& Buttons() { return *m_buttons; }

private:
    QListWidget* m_pages = nullptr;
    CRavlinHotKeys* m_page = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};
