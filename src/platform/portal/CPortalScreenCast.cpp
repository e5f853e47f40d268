#include "CPortalScreenCast.h"

#include "CPortalRequest.h"
#include "CPortalTexts.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>
#include <fcntl.h>
#include <unistd.h>

namespace {
const QString kInterface = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");
constexpr uint kMonitorSource = 1;
constexpr uint kPersistUntilRevoked = 2;

QString OutcomeText(const CPortalRequest::Result& result, const QString& step, int timeoutMs) {
    switch (result.outcome) {
    case CPortalRequest::EOutcome::Cancelled:
        return PortalTexts::ScreenCastDenied();
    case CPortalRequest::EOutcome::NoPortal:
        return PortalTexts::NoRecordingPortal();
    case CPortalRequest::EOutcome::TimedOut:
        return QStringLiteral("The desktop did not answer the screen-sharing request (%1) "
                              "within %2 s.")
            .arg(step)
            .arg(timeoutMs / 1000.0);
    case CPortalRequest::EOutcome::Error:
        return QStringLiteral("The desktop's screen-sharing portal failed (%1): %2")
            .arg(step, result.error);
    default:
        return QStringLiteral("The desktop could not share the screen (%1 failed).").arg(step);
    }
}

// streams: a(ua{sv}) — the node and its properties; only the first stream is used.
bool ReadFirstStream(const QVariant& value, uint* node, QVariantMap* properties) {
    if (!value.canConvert<QDBusArgument>())
        return false;
    const QDBusArgument streams = value.value<QDBusArgument>();
    bool found = false;
    streams.beginArray();
    while (!streams.atEnd()) {
        uint id = 0;
        QVariantMap props;
        streams.beginStructure();
        streams >> id >> props;
        streams.endStructure();
        if (!found) {
            *node = id;
            *properties = props;
            found = true;
        }
    }
    streams.endArray();
    return found;
}

// (ii) as a QDBusArgument inside a variant.
bool ReadPair(const QVariant& value, int* a, int* b) {
    if (!value.canConvert<QDBusArgument>())
        return false;
    const QDBusArgument pair = value.value<QDBusArgument>();
    pair.beginStructure();
    pair >> *a >> *b;
    pair.endStructure();
    return true;
}
} // namespace

CPortalScreenCast::CPortalScreenCast(QDBusConnection bus, int timeoutMs)
    : m_bus(std::move(bus)), m_timeoutMs(timeoutMs) {}

CPortalScreenCast::~CPortalScreenCast() {
    Close();
}

uint CPortalScreenCast::ChooseCursorMode(uint available, bool wantPointer) {
    if (wantPointer && (available & kCursorEmbedded))
        return kCursorEmbedded;
    if (available & kCursorHidden)
        return kCursorHidden;
    if (available & kCursorEmbedded)
        return kCursorEmbedded;
    // Version 1 of the interface has no cursor modes at all: leave the choice out.
    return 0;
}

bool CPortalScreenCast::Fail(QString* reason, const QString& why) {
    Close();
    if (reason)
        *reason = why;
    return false;
}

bool CPortalScreenCast::Start(bool wantPointer, const QString& restoreToken, Stream* stream,
                              QString* reason) {
    if (m_starting) {
        // Not Fail(): the session being started is the first call's.
        if (reason)
            *reason = PortalTexts::ScreenCastPending();
        return false;
    }
    m_starting = true;
    const bool started = StartSession(wantPointer, restoreToken, stream, reason);
    m_starting = false;
    return started;
}

bool CPortalScreenCast::StartSession(bool wantPointer, const QString& restoreToken,
                                     Stream* stream, QString* reason) {
    Close();
    *stream = Stream();
    const uint version = CPortalRequest::InterfaceVersion(m_bus, kInterface);
    if (version == 0)
        return Fail(reason, PortalTexts::NoRecordingPortal());

    CPortalRequest::Result result = CPortalRequest::Call(
        m_bus, kInterface, QStringLiteral("CreateSession"), {},
        {{QStringLiteral("session_handle_token"), CPortalRequest::NewToken("ravlincast")}},
        m_timeoutMs);
    if (result.outcome != CPortalRequest::EOutcome::Success)
        return Fail(reason, OutcomeText(result, QStringLiteral("CreateSession"), m_timeoutMs));
    // The handle comes as a string in this response (an object path in later portals).
    const QVariant handle = result.results.value(QStringLiteral("session_handle"));
    m_session = handle.canConvert<QDBusObjectPath>() && handle.userType() ==
                                                            qMetaTypeId<QDBusObjectPath>()
                    ? handle.value<QDBusObjectPath>().path()
                    : handle.toString();
    if (m_session.isEmpty())
        return Fail(reason, QStringLiteral("The desktop's screen-sharing portal gave no session."));
    m_bus.connect(QString::fromLatin1(CPortalRequest::kService), m_session, kSessionInterface,
                  QStringLiteral("Closed"), this, SLOT(OnSessionClosed()));

    QVariantMap select{{QStringLiteral("types"), kMonitorSource},
                       {QStringLiteral("multiple"), false}};
    const uint available =
        CPortalRequest::Property(m_bus, kInterface, QStringLiteral("AvailableCursorModes"))
            .toUInt();
    const uint cursorMode = version >= 2 ? ChooseCursorMode(available, wantPointer) : 0;
    if (cursorMode)
        select.insert(QStringLiteral("cursor_mode"), cursorMode);
    if (version >= 4) {
        select.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
        if (!restoreToken.isEmpty())
            select.insert(QStringLiteral("restore_token"), restoreToken);
    }
    result = CPortalRequest::Call(m_bus, kInterface, QStringLiteral("SelectSources"),
                                  {QVariant::fromValue(QDBusObjectPath(m_session))}, select,
                                  m_timeoutMs);
    if (result.outcome != CPortalRequest::EOutcome::Success)
        return Fail(reason, OutcomeText(result, QStringLiteral("SelectSources"), m_timeoutMs));

    result = CPortalRequest::Call(m_bus, kInterface, QStringLiteral("Start"),
                                  {QVariant::fromValue(QDBusObjectPath(m_session)), QString()}, {},
                                  m_timeoutMs);
    if (result.outcome != CPortalRequest::EOutcome::Success)
        return Fail(reason, OutcomeText(result, QStringLiteral("Start"), m_timeoutMs));
    QVariantMap properties;
    if (!ReadFirstStream(result.results.value(QStringLiteral("streams")), &stream->node,
                         &properties))
        return Fail(reason, QStringLiteral("The desktop shared no screen."));
    int a = 0, b = 0;
    if (ReadPair(properties.value(QStringLiteral("size")), &a, &b))
        stream->size = QSize(a, b);
    if (ReadPair(properties.value(QStringLiteral("position")), &a, &b))
        stream->position = QPoint(a, b);
    stream->cursorMode = cursorMode ? cursorMode : kCursorHidden;
    stream->restoreToken = result.results.value(QStringLiteral("restore_token")).toString();

    QDBusMessage open = QDBusMessage::createMethodCall(
        QString::fromLatin1(CPortalRequest::kService), QString::fromLatin1(CPortalRequest::kPath),
        kInterface, QStringLiteral("OpenPipeWireRemote"));
    open << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariantMap();
    const QDBusMessage reply = CPortalRequest::CallAndWait(m_bus, open, m_timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return Fail(reason, QStringLiteral("The desktop gave no PipeWire connection: %1")
                                .arg(reply.errorMessage()));
    const QDBusUnixFileDescriptor fd =
        reply.arguments().first().value<QDBusUnixFileDescriptor>();
    if (!fd.isValid())
        return Fail(reason, QStringLiteral("The desktop gave no PipeWire connection."));
    // QDBusUnixFileDescriptor closes its own copy.
    stream->fd = fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 3);
    if (stream->fd < 0)
        return Fail(reason, QStringLiteral("The PipeWire connection could not be kept."));
    return true;
}

void CPortalScreenCast::Close() {
    if (m_session.isEmpty())
        return;
    m_bus.disconnect(QString::fromLatin1(CPortalRequest::kService), m_session, kSessionInterface,
                     QStringLiteral("Closed"), this, SLOT(OnSessionClosed()));
    m_bus.call(QDBusMessage::createMethodCall(QString::fromLatin1(CPortalRequest::kService),
                                              m_session, kSessionInterface,
                                              QStringLiteral("Close")),
               QDBus::NoBlock);
    m_session.clear();
}

void CPortalScreenCast::OnSessionClosed() {
    // The desktop closed it: there is nothing left to close.
    m_bus.disconnect(QString::fromLatin1(CPortalRequest::kService), m_session, kSessionInterface,
                     QStringLiteral("Closed"), this, SLOT(OnSessionClosed()));
    m_session.clear();
    emit Closed();
}
