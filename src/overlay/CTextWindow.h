#pragma once
// The speech-bubble entry window of the text tool: a single-line field and an OK button in a
// dark bubble whose pointer touches the text line from below (pointer at the top-left) or from
// above (pointer at the bottom-left). Green is its see-through colour; the rest shows at
// alpha 230.
#include <QWidget>
#include <functional>

class QLineEdit;
class QPushButton;

class CTextWindow : public QWidget {
public:
    static constexpr int kWidth = 475;
    static constexpr int kHeight = 60;
    static constexpr int kEditId = 101;
    static constexpr int kOkId = 1;

    CTextWindow();

    // 0: pointer at the top-left corner (the bubble below the line); 1: at the bottom-left.
    void SetArrowDirection(int direction);
    int ArrowDirection() const { return arrowDirection; }

    // Wired by the overlay: the field changed, Enter or OK, Esc.
    std::function<void(const QString&)> onTextChanged;
    std::function<void()> onCommit;
    std::function<void()> onCancel;

    void Commit();
    void Cancel();
    void ClearText();
    QLineEdit* Edit() const { return edit; }
    QPushButton* OkButton() const { return okButton; }

    int arrowDirection = 0;
    int arrowWidth = 16;
    int arrowHeight = 16;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QImage Render() const;
    void UpdateShape();
    void OnEdited(const QString& text);

    QLineEdit* edit = nullptr;
    QPushButton* okButton = nullptr;
    QString m_accepted; // what fits the field
};
