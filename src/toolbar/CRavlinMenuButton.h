#pragma once
// A picture button with a drop-down: a narrow arrow strip along its bottom (vertical toolbar)
// or its right side (horizontal toolbar). A click on the strip opens the popup named like the
// button; the chosen command is kept in MenuResult() and the toolbar is notified as for a
// click. A click on the body is an ordinary click with MenuResult() 0.
#include "CMenuResource.h"
#include "CRavlinButton.h"

#include <optional>

class IDialogs;

class CRavlinMenuButton : public CRavlinButton {
public:
    static constexpr int kArrowStripHeight = 12; // at the bottom
    static constexpr int kArrowStripWidth = 16;  // at the right
    static constexpr QRgb kArrowPushed = qRgb(200, 200, 200);
    static constexpr QRgb kArrowHovered = qRgb(255, 200, 100);
    static constexpr QRgb kArrowNormal = qRgb(224, 224, 224);

    explicit CRavlinMenuButton(IDialogs& dialogs, QWidget* parent = nullptr);

    // The popup the strip opens (copied), or none: then the strip shows no arrow and a click
    // on it does nothing.
    void SetMenu(const CMenuPopup* popup);
    bool HasMenu() const { return m_menu.has_value(); }
    // Puts the popup's check mark on the item of `id` alone.
    void CheckItem(CommandId id);
    const std::optional<CMenuPopup>& Menu() const { return m_menu; }

    // true: the strip is the bottom 12 pixels; false: the right 16 pixels.
    void SetArrowAtBottom(bool atBottom);
    bool ArrowAtBottom() const { return arrowAtBottom; }

    // false: a click anywhere on the button opens the popup.
    void SetDefaultClick(bool defaultClick) { m_bDefaultClick = defaultClick; }

    // The command chosen in the last popup; 0 after a dismissed popup or a click on the body.
    // It keeps its value until the next press on the button.
    CommandId MenuResult() const { return m_nMenuResult; }
    bool IsMenuActive() const { return m_bMenuIsActive; }

    // The part of the client rectangle where a press opens the popup.
    QRect ArrowHitRect() const;

    // Opens the popup below the button and waits for the choice.
    void OnShowMenu();

protected:
    void OnDraw(QPainter& painter, const QRect& drawRect) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void OnLButtonDown(QMouseEvent* event);

    IDialogs& m_dialogs;
    std::optional<CMenuPopup> m_menu;
    bool arrowAtBottom = true;
    bool m_bDefaultClick = true;
    bool m_bMenuIsActive = false;
    bool m_bClickOnMenu = false;
    CommandId m_nMenuResult = 0;
};
