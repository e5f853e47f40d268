#include "CQtDialogs.h"

#include "CMenuResource.h"
#include "StackTier.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

namespace {
constexpr int kNoticeDurationMs = 12000;
}

CQtDialogs::~CQtDialogs() {
    delete m_notice;
}

bool CQtDialogs::AskYesNo(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void CQtDialogs::ShowWarning(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

CSaveFileChoice CQtDialogs::GetSaveFileName(QWidget* owner, const QString& title,
                                            const QStringList& filters, int selectedFilter) {
    // Qt's own dialog, not a desktop portal's: it is one of our windows, so it can stand above
    // the overlay.
    QFileDialog dialog(owner, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (selectedFilter >= 0 && selectedFilter < filters.size())
        dialog.selectNameFilter(filters[selectedFilter]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().first(),
            static_cast<int>(filters.indexOf(dialog.selectedNameFilter()))};
}

void CQtDialogs::FillMenu(QMenu& menu, const std::vector<CMenuItem>& items) {
    for (const CMenuItem& item : items) {
        if (item.separator) {
            menu.addSeparator();
            continue;
        }
        if (item.IsPopup()) {
            FillMenu(*menu.addMenu(item.text), item.popup);
            continue;
        }
        QAction* action = menu.addAction(item.text);
        if (!item.picture.isEmpty())
            action->setIcon(CMenuResource::PictureIcon(item.picture));
        action->setData(item.id);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        if (item.isDefault)
            menu.setDefaultAction(action);
    }
}

CommandId CQtDialogs::TrackPopupMenu(QWidget* owner, const CMenuPopup& popup,
                                     const QPoint& screenPosition) {
    QMenu menu(owner);
    FillMenu(menu, popup.items);
    const QAction* chosen = menu.exec(screenPosition);
    return chosen ? static_cast<CommandId>(chosen->data().toUInt()) : CommandId(0);
}

void CQtDialogs::ShowNotice(const QString& text) {
    if (!m_notice) {
        m_notice = new QLabel;
        m_notice->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                 Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus);
        m_notice->setAttribute(Qt::WA_ShowWithoutActivating);
        m_notice->setObjectName("RavlinNotice");
        // Above the toolbar and the overlay, below the text bubble and the popups.
        SetStackTier(m_notice, EStackTier::Notice);
        m_notice->setWindowTitle("Ravlin");
        m_notice->setWordWrap(true);
        m_notice->setMargin(14);
        m_notice->setFixedWidth(420);
        m_notice->setStyleSheet("QLabel { background: #2B3038; color: #ECEFF4; "
                                "border: 1px solid #1A1D22; font-size: 10pt; }");
    }
    m_notice->setText(text);
    m_notice->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        // Bottom right, where desktop notifications usually appear: the top of the screen
        // holds the toolbar and the webcam window, whose buttons and picture a notice must not
        // cover.
        m_notice->move(area.right() - m_notice->width() - 16,
                       area.bottom() - m_notice->height() - 16);
    }
    m_notice->show();
    m_notice->raise();
    QTimer::singleShot(kNoticeDurationMs, m_notice, [n = m_notice] {
        if (n)
            n->hide();
    });
}
