#pragma once
// A borderless, see-through toolbar button showing one picture. It lights up softly under the
// pointer and, when its folder holds animation frames, plays them once each time the pointer
// comes onto it. Its window text is never drawn; the toolbar's skin shows through around the
// picture.
#include <QAbstractButton>
#include <QBasicTimer>
#include <QImage>
#include <functional>
#include <vector>

class QPainter;

class CRavlinButton : public QAbstractButton {
public:
    static constexpr int kAnimationTimerId = 202;
    static constexpr int kAnimationPeriodMs = 40;
    static constexpr int kMostFrames = 5;
    static constexpr QRgb kHoverHighlight = qRgba(255, 255, 255, 0x7F);
    static constexpr QRgb kPushedHighlight = qRgba(255, 255, 255, 0x5F);
    // The picture is drawn inside the client rectangle inset by this much on every side.
    static constexpr int kDrawInset = 2;

    explicit CRavlinButton(QWidget* parent = nullptr);
    ~CRavlinButton() override;

    // The button's picture. A file that is missing or no picture leaves the button without one
    // (it still works and lights up). A draw size still 0 takes the picture's logical size.
    // At a device pixel ratio of 2 or more the "@2x" file is taken where there is one.
    void LoadDefaultImage(const QString& path, qreal devicePixelRatio = 1.0);
    // Frames "01.png" to "05.png" in `folder` (which ends in a separator), up to the first
    // number that has no file; they replace any loaded before. A file that is there but no
    // picture keeps its turn, drawing nothing. Sharp frames as for the picture.
    void LoadFrames(const QString& folder, qreal devicePixelRatio = 1.0);

    // The size at which the picture and the frames are drawn, centred in the button.
    void SetDrawSize(int width, int height);
    int DrawWidth() const { return drawWidth; }
    int DrawHeight() const { return drawHeight; }
    const QImage& DefaultImage() const { return defaultImage; }
    int FrameCount() const { return static_cast<int>(frames.size()); }

    // The control identifier the toolbar maps to a command; onClick carries it.
    void SetControlId(int id) { m_controlId = id; }
    int ControlId() const { return m_controlId; }
    std::function<void(int controlId)> onClick;

    // The animation tick (timer 202). Tests call it instead of waiting.
    void OnTimer(int id);
    // Ends a running animation; the picture shows again.
    void StopAnimation();

    bool IsHighlighted() const { return m_highlighted; }
    bool IsPushed() const { return isDown(); }
    bool IsAnimating() const { return animating != 0; }
    bool IsAnimationDone() const { return animationDone != 0; }
    bool IsAnimationTimerRunning() const { return m_animationTimer.isActive(); }

protected:
    // Draws the state into `drawRect` (the client rectangle inset by kDrawInset).
    virtual void OnDraw(QPainter& painter, const QRect& drawRect);
    // The picture or a frame at the draw size, centred in `area`.
    void DrawPicture(QPainter& painter, const QImage& image, const QRect& area) const;
    // Fills the rounded rectangle (left, top, right, bottom), right and bottom exclusive, with
    // a 4 x 4 corner ellipse.
    static void FillHighlight(QPainter& painter, int left, int top, int right, int bottom,
                              QRgb colour);
    // The pointer came onto the button or left it.
    void SetHighlighted(bool highlighted);
    // Starts or ends the animation as the pushed and highlighted states now call for.
    void UpdateAnimation();

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

    int animating = 0;
    int animationDone = 0;
    int frameIndex = 0; // the frame the next tick shows
    int shownFrame = 0; // the frame on the button now, while animating
    std::vector<QImage> frames;
    QImage defaultImage;
    int drawWidth = 0;
    int drawHeight = 0;

private:
    void OnClicked();

    QBasicTimer m_animationTimer;
    bool m_highlighted = false;
    int m_controlId = 0;
};
