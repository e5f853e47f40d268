#include "CMenuResource.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

CMenuResource CMenuResource::Load(int number) {
    QFile file(QStringLiteral(":/menus/%1.json").arg(number));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return FromJson(file.readAll());
}

CMenuResource CMenuResource::FromJson(const QByteArray& json) {
    CMenuResource menu;
    const QJsonArray popups = QJsonDocument::fromJson(json).object().value("popups").toArray();
    for (const QJsonValue& popupValue : popups) {
        const QJsonObject popupObject = popupValue.toObject();
        CMenuPopup popup{popupObject.value("caption").toString(), {}};
        for (const QJsonValue& itemValue : popupObject.value("items").toArray()) {
            const QJsonObject item = itemValue.toObject();
            const int id = item.value("id").toInt();
            if (item.value("separator").toBool() || id <= 0 || id > 0xFFFF) {
                popup.items.push_back({QString(), 0, true, false, QString()});
                continue;
            }
            popup.items.push_back({item.value("text").toString(), static_cast<CommandId>(id), false,
                                   item.value("checked").toBool(), QString()});
        }
        menu.m_popups.push_back(std::move(popup));
    }
    return menu;
}

void CMenuResource::AttachPictures(const QString& caption, size_t first, int firstPicture,
                                   int count, const QString& folder) {
    for (CMenuPopup& popup : m_popups) {
        if (popup.caption != caption)
            continue;
        for (int i = 0; i < count && first + static_cast<size_t>(i) < popup.items.size(); ++i)
            popup.items[first + static_cast<size_t>(i)].picture =
                QStringLiteral("%1/%2.png").arg(folder).arg(firstPicture + i);
        return;
    }
}

const CMenuPopup* CMenuResource::FindPopupByCaption(const QString& caption) const {
    for (const CMenuPopup& popup : m_popups)
        if (popup.caption == caption)
            return &popup;
    return nullptr;
}

QIcon CMenuResource::PictureIcon(const QString& path) {
    QIcon icon;
    if (path.isEmpty())
        return icon;
    icon.addFile(path);
    static const QLatin1String kPng(".png");
    const QString sharp =
        path.endsWith(kPng, Qt::CaseInsensitive)
            ? path.left(path.size() - kPng.size()) + "@2x" + path.right(kPng.size())
            : path + "@2x";
    if (QFile::exists(sharp))
        icon.addFile(sharp);
    return icon;
}
