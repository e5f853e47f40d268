#pragma once
// The recording indicator beside the toolbar's stop button: a red dot, large enough to be seen
// from the back of a room, and the recorded time. The dot blinks while recording and stays lit
// while paused; the owner tells it which phase to show.
#include <QWidget>

class CRecordingIndicator : public QWidget {
public:
    explicit CRecordingIndicator(QWidget* parent);

    void SetTime(const QString& time, bool dotLit);
    void SetVertical(bool vertical);
    QString Time() const { return m_time; }
    bool IsDotLit() const { return m_dotLit; }
    // Its length along the toolbar.
    int Length() const { return m_vertical ? kVerticalLength : kHorizontalLength; }
    // Where the dot is drawn, in the widget (for tests that read its colour).
    QRect DotRect() const;

    static constexpr int kHorizontalLength = 88;
    static constexpr int kVerticalLength = 40;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_time = QStringLiteral("00:00:00");
    bool m_dotLit = true;
    bool m_vertical = false;
};
