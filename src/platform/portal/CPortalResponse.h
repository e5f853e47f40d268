#pragma once
// Receives one Request's Response signal for CPortalRequest (a QObject, so that QtDBus can
// deliver the signal to a slot).
#include <QObject>
#include <QVariantMap>

class CPortalResponse : public QObject {
    Q_OBJECT
public:
    bool received = false;
    uint code = 2;
    QVariantMap results;

signals:
    void Arrived();

public slots:
    void OnResponse(uint response, const QVariantMap& values) {
        received = true;
        code = response;
        results = values;
        emit Arrived();
    }
};
