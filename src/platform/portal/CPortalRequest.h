#pragma once
// One call of an xdg-desktop-portal method that answers through a Request object: the call
// returns the request's path at once, and the outcome comes later as its Response signal.
// The wait runs a local event loop with a time limit that goes on handling everything, user
// input too, so the program stays live while the desktop answers (it may be showing the user a
// question) and a desktop that never answers costs the limit, never a hung program. Callers
// keep a second request of their own from starting meanwhile; the wait observer lets the
// program show that it waits.
//
// User-interface thread only.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <functional>

class CPortalRequest {
public:
    static constexpr const char* kService = "org.freedesktop.portal.Desktop";
    static constexpr const char* kPath = "/org/freedesktop/portal/desktop";

    enum class EOutcome {
        Success,   // response 0
        Cancelled, // response 1: the user or the desktop said no
        Failed,    // response 2, or any other code
        NoPortal,  // no portal service, or it does not have the interface
        Error,     // the call itself failed
        TimedOut,
    };
    struct Result {
        EOutcome outcome = EOutcome::Error;
        QVariantMap results;
        QString error; // the D-Bus error's text, for Error and NoPortal
    };

    // Calls `interface`.`method` with `arguments` followed by `options`, to which the request's
    // handle token is added. `tokenPrefix` makes the token recognisable (the desktop may show
    // or keep it).
    static Result Call(const QDBusConnection& bus, const QString& interface, const QString& method,
                       const QVariantList& arguments, QVariantMap options, int timeoutMs,
                       const QString& tokenPrefix = QStringLiteral("ravlin"));

    // A plain method call, waited for in a local event loop rather than in a blocked thread, so
    // that the program stays live and a portal in this very process (tests) can answer.
    static QDBusMessage CallAndWait(const QDBusConnection& bus, const QDBusMessage& message,
                                    int timeoutMs);
    // Whether a call waits for the desktop now, and who hears when waiting begins and ends
    // (true, false), to show it.
    static bool IsWaiting();
    static void SetWaitObserver(std::function<void(bool waiting)> observer);
    // A fresh token for handle_token and session_handle_token options.
    static QString NewToken(const QString& prefix);
    // The portal's `version` property of `interface`: 0 when there is no portal service or it
    // lacks the interface.
    static uint InterfaceVersion(const QDBusConnection& bus, const QString& interface);
    // A property of an interface of the portal object (invalid when it cannot be read).
    static QVariant Property(const QDBusConnection& bus, const QString& interface,
                             const QString& name);
};
