#pragma once
// Menus kept as data (resources/menus/<number>.json): top-level popups with captions, whose
// items carry command identifiers. The toolbar's drop-downs, the overlay's right-click popups
// and the tray menu are built from them.
#include "CommandIds.h"

#include <QIcon>
#include <QString>
#include <vector>

struct CMenuItem {
    QString text;
    CommandId id = 0;
    bool separator = false;
    bool checked = false;
    QString picture; // the item's 16 x 16 picture, when it has one
};

struct CMenuPopup {
    QString caption;
    std::vector<CMenuItem> items;
};

class CMenuResource {
public:
    // Reads ":/menus/<number>.json"; an unreadable or broken resource gives an empty menu.
    static CMenuResource Load(int number);
    static CMenuResource FromJson(const QByteArray& json);

    // The popup of the first top-level item whose caption equals `caption` exactly
    // (case-sensitive), or null.
    const CMenuPopup* FindPopupByCaption(const QString& caption) const;
    const std::vector<CMenuPopup>& Popups() const { return m_popups; }
    // Gives the items of the popup `caption`, from position `first` on, the pictures
    // `folder`/<number>.png for the numbers `firstPicture` onwards (one each).
    void AttachPictures(const QString& caption, size_t first, int firstPicture, int count,
                        const QString& folder);
    // An item's picture as a menu icon, with its "@2x" twin for double-density screens. Qt 6.4
    // looks for the twin only when the application's ratio is already 2 at that moment; a menu
    // moved to a 2x monitor would show the blurry one.
    static QIcon PictureIcon(const QString& path);

private:
    std::vector<CMenuPopup> m_popups;
};
