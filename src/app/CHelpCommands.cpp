#include "CHelpCommands.h"

#include "CCommandMap.h"
#include "CDlgAbout.h"
#include "IDialogs.h"
#include "ResolveAppRelativePath.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {
const char* const kCaption = "Ravlin";
constexpr int kQueryTimeoutMs = 3000;
} // namespace

CHelpCommands::CHelpCommands(IDialogs& dialogs, const QString& appFolder)
    : m_dialogs(dialogs),
      m_appFolder(appFolder.isEmpty() ? AppDataFolder() : appFolder),
      m_opener([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      m_pdfHandler(&CHelpCommands::QueryPdfHandler) {
    runDialog = [](QWidget& dialog) { static_cast<QDialog&>(dialog).exec(); };
}

void CHelpCommands::Register(CCommandMap& commands) {
    commands.On(ID_HELP, [this] { OnHelp(); });
    commands.On(ID_ABOUT, [this] { OnAbout(); });
}

QString CHelpCommands::QueryPdfHandler() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("application/pdf")});
    if (!query.waitForFinished(kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished(kQueryTimeoutMs);
        return QString();
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

void CHelpCommands::OnHelp() {
    // Beside the executable, whatever folder the program was started from.
    const QString path = ResolveAppRelativePath(QString::fromLatin1(kHelpDocument), m_appFolder);
    if (!QFileInfo(path).isFile()) {
        m_dialogs.ShowWarning(nullptr,
                              QStringLiteral("The user guide %1 could not be found.")
                                  .arg(QDir::toNativeSeparators(path)),
                              QString::fromLatin1(kCaption));
        return;
    }
    // Without a registered viewer the desktop would silently do nothing.
    if (m_pdfHandler && m_pdfHandler().isEmpty()) {
        m_dialogs.ShowWarning(nullptr,
                              QStringLiteral("No application is set up to open PDF documents. "
                                             "The user guide is %1.")
                                  .arg(QDir::toNativeSeparators(path)),
                              QString::fromLatin1(kCaption));
        return;
    }
    if (!m_opener || !m_opener(QUrl::fromLocalFile(path)))
        m_dialogs.ShowWarning(nullptr,
                              QStringLiteral("The user guide %1 could not be opened.")
                                  .arg(QDir::toNativeSeparators(path)),
                              QString::fromLatin1(kCaption));
}

void CHelpCommands::OnAbout() {
    CDlgAbout dialog(m_opener);
    if (runDialog)
        runDialog(dialog);
}
