#pragma once
#include "IDialogs.h"

#include <QPointer>

class QLabel;
class QMenu;
struct CMenuItem;

// The dialogs the user sees: Qt message boxes, and a small notice near the top-right corner of
// the primary screen that fades after a while.
class CQtDialogs : public IDialogs {
public:
    ~CQtDialogs() override;
    bool AskYesNo(QWidget* owner, const QString& text, const QString& caption) override;
    void ShowNotice(const QString& text) override;
    void ShowWarning(QWidget* owner, const QString& text, const QString& caption) override;
    CSaveFileChoice GetSaveFileName(QWidget* owner, const QString& title,
                                    const QStringList& filters, int selectedFilter) override;
    CommandId TrackPopupMenu(QWidget* owner, const CMenuPopup& popup,
                             const QPoint& screenPosition) override;
    // Adds menu items (popups inside included) to a Qt menu; each action carries its command.
    static void FillMenu(QMenu& menu, const std::vector<CMenuItem>& items);

private:
    QPointer<QLabel> m_notice;
};
