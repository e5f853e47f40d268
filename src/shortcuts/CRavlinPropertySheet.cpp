#include "CRavlinPropertySheet.h"

#include "CRavlinHotKeys.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QStackedWidget>
#include <QVBoxLayout>

CRavlinPropertySheet::CRavlinPropertySheet(HotKeyTable& table, const IGlobalKeys* layout,
                                           QWidget* owner)
    : QDialog(owner) {
    setWindowTitle("Ravlin Preferences");
    setObjectName("RavlinPreferences");
    setWindowIcon(QApplication::windowIcon());

    m_pages = new QListWidget(this);
    m_pages->setFixedWidth(kNavigationWidth);
    m_pages->setAccessibleName("Pages");
    auto* stack = new QStackedWidget(this);
    m_page = new CRavlinHotKeys(table, layout, stack);
    stack->addWidget(m_page);
    m_pages->addItem(m_page->windowTitle());
    m_pages->setCurrentRow(0);
    connect(m_pages, &QListWidget::currentRowChanged, stack, &QStackedWidget::setCurrentIndex);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(m_pages);
    body->addWidget(stack, 1);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(body);
    whole->addWidget(m_buttons);
}
