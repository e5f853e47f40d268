#pragma once
// A warning balloon of our own, near the top-right corner of a display, for desktops with
// neither a tray nor a notification service. A click on it is reported by Clicked; it goes by
// itself after a while.
#include <QFrame>
#include <QTimer>

class QLabel;

class CBalloonPopup : public QFrame {
    Q_OBJECT
public:
    explicit CBalloonPopup(QWidget* parent = nullptr);

    // Shows the balloon in the corner of `area` (a display's work area) for `durationMs`.
    void ShowBalloon(const QString& title, const QString& text, const QRect& area, int durationMs);
    QString Title() const;
    QString Text() const;

signals:
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLabel* m_title = nullptr;
    QLabel* m_text = nullptr;
    QTimer m_hideTimer;
};
