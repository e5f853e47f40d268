#pragma once
// The floating webcam window: the first webcam's live picture with the first microphone's
// level in an 8-pixel strip along the bottom. Topmost, with a thin border, hidden until the
// Webcam command shows it; dragged from anywhere in it; three sizes on its right-click menu.
#include "CMenuResource.h"

#include <QBasicTimer>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>

class CMicrophoneLevel;
class CWebcamCapture;
class IDialogs;

class CWebcamWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshTimerId = 1;
    static constexpr int kRefreshPeriodMs = 50;
    static constexpr int kLevelStripHeight = 8;
    static constexpr int kBorderWidth = 1;
    // From the right edge and the top of the primary screen's work area.
    static constexpr int kRightMargin = 10;
    static constexpr int kTopMargin = 32;
    static constexpr const char* kNoWebcamText =
        "No Webcam available\r\nor it is in use\r\nby other programs.";

    explicit CWebcamWindow(IDialogs& dialogs);
    ~CWebcamWindow() override;

    // Makes the window, hidden, at its start place at the Medium size.
    void Create();
    // Stops the capture and hides the window for good (the overlay is going).
    void Destroy();

    // The Webcam command: shows or hides the window; returns whether it is now shown.
    bool ToggleWebcam();
    bool IsShown() const { return m_shown; }

    // The size commands 32819-32821; other identifiers do nothing.
    void OnCmdSize(CommandId id);
    CommandId SizeCommand() const { return m_sizeCommand; }
    static QSize SizeFor(CommandId id);
    // Told whenever the size choice changes, so other menus move their check mark too.
    std::function<void(CommandId)> onSizeChanged;
    // Told whenever the window is shown, so the owner can restack its windows.
    std::function<void()> onShown;
    const CMenuPopup& SizeMenu() const { return m_sizeMenu; }

    // State the paint and the tests read.
    bool HasWebcam() const { return m_webcam; }
    bool HasSound() const { return m_sound; }
    int Level() const;
    // The part of the window the picture covers: inside the border, above the strip.
    QRect PictureRect() const;
    bool IsRefreshing() const { return m_refreshTimer.isActive(); }

    // One refresh tick: notices a feed that went away and takes the newest picture.
    void OnTimer();
    // Paints the window's client area.
    void Draw(QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

public:
    // Mouse handling in screen coordinates (the event handlers forward here).
    void OnLButtonDown(const QPoint& screenPoint);
    void OnMouseMove(const QPoint& screenPoint);
    void OnLButtonUp();
    void OnRButtonUp(const QPoint& screenPoint);
    bool IsDragging() const { return m_dragging; }

private:
    void StartPreview();
    void StopPreview();
    QRect StartGeometry(CommandId sizeCommand) const;

    IDialogs& m_dialogs;
    // Kept out of this header, so that its users need no GStreamer.
    std::unique_ptr<CWebcamCapture> m_capture;
    std::unique_ptr<CMicrophoneLevel> m_microphone;
    CMenuPopup m_sizeMenu;
    CommandId m_sizeCommand = ID_WEBCAM_MEDIUM;
    QBasicTimer m_refreshTimer;
    bool m_shown = false;
    bool m_webcam = false;
    bool m_sound = false;
    bool m_dragging = false;
    QPoint m_dragStart;
    QPoint m_originAtDragStart;
};
