#include "CPortalScreenshot.h"

#include "CPortalRequest.h"
#include "CPortalTexts.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QUrl>

CPortalScreenshot::CPortalScreenshot(QDBusConnection bus, int timeoutMs)
    : m_bus(std::move(bus)), m_timeoutMs(timeoutMs) {}

QImage CPortalScreenshot::Take(unsigned long parent, QString* reason) {
    if (m_taking) {
        if (reason)
            *reason = PortalTexts::ScreenshotPending();
        return {};
    }
    m_taking = true;
    QString why;
    QImage picture;
    // Which files the portal wrote earlier exist now: a back end that writes one fixed file
    // overwrites it, and a file there before the call is not ours to remove.
    QSet<QString> existedBefore;
    for (const QString& seen : std::as_const(m_seenFiles))
        if (QFileInfo::exists(seen))
            existedBefore.insert(seen);
    // File times are kept at the kernel's tick (a few milliseconds) at worst.
    const QDateTime callStart = QDateTime::currentDateTime().addMSecs(-100);

    const QString window =
        parent ? QStringLiteral("x11:%1").arg(parent, 0, 16) : QString();
    const CPortalRequest::Result result = CPortalRequest::Call(
        m_bus, QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"),
        {window}, {{QStringLiteral("interactive"), false}, {QStringLiteral("modal"), false}},
        m_timeoutMs);
    switch (result.outcome) {
    case CPortalRequest::EOutcome::Success: {
        const QUrl uri(result.results.value(QStringLiteral("uri")).toString());
        const QString path = uri.isLocalFile() ? uri.toLocalFile() : QString();
        if (path.isEmpty()) {
            why = QStringLiteral("The desktop's screenshot gave no file (%1).")
                      .arg(uri.toString());
            break;
        }
        QImageReader reader(path);
        picture = reader.read();
        if (picture.isNull())
            why = QStringLiteral("The desktop's screenshot %1 could not be read: %2.")
                      .arg(path, reader.errorString());
        const QFileInfo file(path);
        // A file that was born after the call began is the portal's own; without a birth
        // time, one that was not there at the last call.
        const QDateTime born = file.birthTime();
        const bool ours = born.isValid() ? born >= callStart : !existedBefore.contains(path);
        if (ours && file.exists())
            QFile::remove(path);
        m_seenFiles.insert(path);
        break;
    }
    case CPortalRequest::EOutcome::Cancelled:
        why = PortalTexts::ScreenshotDenied();
        break;
    case CPortalRequest::EOutcome::NoPortal:
        why = PortalTexts::NoScreenshotPortal();
        break;
    case CPortalRequest::EOutcome::TimedOut:
        why = QStringLiteral("The desktop did not answer the screenshot request within %1 s.")
                  .arg(m_timeoutMs / 1000.0);
        break;
    case CPortalRequest::EOutcome::Failed:
        why = QStringLiteral("The desktop could not take the screenshot.");
        break;
    case CPortalRequest::EOutcome::Error:
        why = QStringLiteral("The desktop's screenshot portal failed: %1").arg(result.error);
        break;
    }
    m_taking = false;
    if (reason)
        *reason = why;
    return picture;
}
