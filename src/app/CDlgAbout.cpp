#include "CDlgAbout.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QStringList>
#include <QVBoxLayout>

namespace {
QLabel* MakeLink(const QString& address, const QString& text, QWidget* parent) {
    auto* label = new QLabel(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(address.toHtmlEscaped(), text.toHtmlEscaped()),
        parent);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setOpenExternalLinks(false);
    return label;
}
} // namespace

CDlgAbout::CDlgAbout(std::function<bool(const QUrl&)> opener, QWidget* parent)
    : QDialog(parent), m_opener(std::move(opener)) {
    setWindowTitle(QStringLiteral("About Ravlin"));
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/about/ravlin-64.png"));
    setWindowIcon(icon);

    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(icon.pixmap(32, 32));
    iconLabel->setAlignment(Qt::AlignTop);
    m_version = new QLabel(QStringLiteral("Ravlin Version ") + GetFileVersionText(), this);
    auto* notice = new QLabel(QStringLiteral("Copyright (C) Norvane. All rights reserved."), this);
    m_website = MakeLink(QString::fromLatin1(kWebsite), QString::fromLatin1(kWebsite), this);
    const QString support = QString::fromLatin1(kSupportAddress);
    m_support = MakeLink(QStringLiteral("mailto:") + support, support, this);
    connect(m_website, &QLabel::linkActivated, this, &CDlgAbout::OnLinkClicked);
    connect(m_support, &QLabel::linkActivated, this, &CDlgAbout::OnLinkClicked);

    auto* text = new QVBoxLayout;
    text->addWidget(m_version);
    text->addWidget(notice);
    text->addSpacing(16);
    text->addWidget(new QLabel(QStringLiteral("Product Website:"), this));
    text->addWidget(m_website);
    text->addSpacing(8);
    text->addWidget(new QLabel(QStringLiteral("For technical support, please email: "), this));
    text->addWidget(m_support);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(iconLabel, 0, 0);
    grid->addLayout(text, 0, 1);
    grid->addWidget(buttons, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
}

void CDlgAbout::OnLinkClicked(const QString& address) {
    if (m_opener)
        m_opener(QUrl(address));
}

QString CDlgAbout::VersionText(const QString& version) {
    const QStringList parts = version.split(QLatin1Char('.'));
    if (version.isEmpty() || parts.size() > 4)
        return QString();
    int numbers[4] = {0, 0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok || numbers[i] < 0 || numbers[i] > 0xFFFF)
            return QString();
    }
    const auto [major, minor, build, revision] = numbers;
    if (revision != 0)
        return QStringLiteral("%1.%2.%3.%4").arg(major).arg(minor).arg(build).arg(revision);
    if (build != 0)
        return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(build);
    if (major != 0 || minor != 0)
        return QStringLiteral("%1.%2").arg(major).arg(minor);
    return QString();
}

QString CDlgAbout::GetFileVersionText() {
    return VersionText(QStringLiteral(RAVLIN_VERSION));
}
