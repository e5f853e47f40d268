#include "CToolbarDefinition.h"

#include "IDialogs.h"
#include "ResolveAppRelativePath.h"
#include "Trace.h"

#include <QFile>
#include <climits>
#include <cstring>
#include <tinyxml2.h>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// scanf's "%d": blanks, an optional sign, at least one digit, and whatever follows ignored.
// A number beyond int's range is not a number here: scanf leaves that undefined, and a wrapped
// value would place a button anywhere.
std::optional<int> ParseInt(const char* text) {
    if (!text)
        return std::nullopt;
    while (IsBlank(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    if (!IsDigit(*text))
        return std::nullopt;
    long long value = 0;
    for (; IsDigit(*text); ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<int> IntAttribute(const tinyxml2::XMLElement& element, const char* name) {
    return ParseInt(element.Attribute(name));
}

void ReadInt(const tinyxml2::XMLElement& element, const char* name, int* value) {
    if (const std::optional<int> read = IntAttribute(element, name))
        *value = *read;
}

QString TextAttribute(const tinyxml2::XMLElement& element, const char* name) {
    return QString::fromUtf8(element.Attribute(name));
}

bool AttributeIs(const tinyxml2::XMLElement& element, const char* name, const char* value) {
    const char* text = element.Attribute(name);
    return text && std::strcmp(text, value) == 0;
}

} // namespace

const CButtonDefinition* CToolbarButtons::Find(const QByteArray& name) const {
    const auto found = byName.find(name);
    return found == byName.end() ? nullptr : &buttons[found->second];
}

CToolbarDefinition::CToolbarDefinition(IDialogs& dialogs)
    : CToolbarDefinition(dialogs, ResolveAppRelativePath(QString::fromLatin1(kDefaultPath)),
                         AppDataFolder()) {}

CToolbarDefinition::CToolbarDefinition(IDialogs& dialogs, const QString& path,
                                       const QString& appFolder)
    : m_path(path), m_appFolder(appFolder), m_document(std::make_unique<tinyxml2::XMLDocument>()) {
    Open(dialogs);
}

CToolbarDefinition::~CToolbarDefinition() = default;

void CToolbarDefinition::Open(IDialogs& dialogs) {
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray data = file.readAll();
        file.close();
        if (m_document->Parse(data.constData(), static_cast<size_t>(data.size())) !=
            tinyxml2::XML_SUCCESS) {
            Trace("Invalid XML file\n");
            // Nothing of a broken document is used, not even what parsed before the error.
            m_document->Clear();
        }
    } else {
        Trace("File not found %s\n", m_path.toUtf8().constData());
    }
    if (!Root()) {
        Trace("root elem not found\n");
        // The toolbar is built anyway, empty; the user learns why it shows nothing.
        dialogs.ShowWarning(nullptr, QStringLiteral("Error loading toolbar"),
                            QStringLiteral("Ravlin"));
    }
}

const tinyxml2::XMLElement* CToolbarDefinition::Root() const {
    return m_document->FirstChildElement("toolbar");
}

bool CToolbarDefinition::HasRoot() const {
    return Root() != nullptr;
}

const tinyxml2::XMLElement* CToolbarDefinition::ButtonsElement(bool vertical) const {
    const tinyxml2::XMLElement* parent = Root();
    if (parent && vertical)
        parent = parent->FirstChildElement("vertical");
    return parent ? parent->FirstChildElement("buttons") : nullptr;
}

void CToolbarDefinition::GetToolbarSize(bool vertical, int* width, int* height) const {
    const tinyxml2::XMLElement* element = Root();
    if (element && vertical)
        element = element->FirstChildElement("vertical");
    if (!element)
        return;
    ReadInt(*element, "width", width);
    ReadInt(*element, "height", height);
}

CButtonDefinition CToolbarDefinition::ReadButton(const tinyxml2::XMLElement& element, bool vertical,
                                                 const QString& imagePath) const {
    CButtonDefinition button;
    button.name = QByteArray(element.Attribute("name"));
    button.visible = !AttributeIs(element, "visible", "false");
    button.left = IntAttribute(element, "left");
    button.top = IntAttribute(element, "top");
    button.w = IntAttribute(element, "w");
    button.h = IntAttribute(element, "h");
    if (vertical)
        return button;

    if (element.Attribute("image"))
        button.image = TextAttribute(element, "image");
    button.menu = AttributeIs(element, "menu", "true");
    button.text = TextAttribute(element, "text");
    button.id = IntAttribute(element, "id").value_or(0);
    button.tooltip = TextAttribute(element, "tooltip");
    if (!button.image)
        button.kind = ButtonKind::Text;
    else if (button.menu)
        button.kind = ButtonKind::Menu;
    else
        button.kind = ButtonKind::Picture;
    // imagePath and image are joined as written: imagePath carries its own trailing separator.
    button.picturePath =
        ResolveAppRelativePath(imagePath + button.image.value_or(QString()), m_appFolder);
    button.frameFolder =
        ResolveAppRelativePath(QStringLiteral("Arts/") + QString::fromUtf8(button.name),
                               m_appFolder) +
        QLatin1Char('/');
    return button;
}

std::optional<CButtonListDefinition> CToolbarDefinition::ReadButtonList(bool vertical) const {
    const tinyxml2::XMLElement* list = ButtonsElement(vertical);
    if (!list)
        return std::nullopt;
    CButtonListDefinition result;
    if (!vertical)
        result.imagePath = TextAttribute(*list, "imagePath");
    ReadInt(*list, "X", &result.x);
    ReadInt(*list, "Y", &result.y);
    ReadInt(*list, "width", &result.width);
    ReadInt(*list, "height", &result.height);
    ReadInt(*list, "arrowPad", &result.arrowPad);
    ReadInt(*list, "contentWidth", &result.contentWidth);
    ReadInt(*list, "contentHeight", &result.contentHeight);
    // From the first `button` on, every following element is a button whatever its name.
    for (const tinyxml2::XMLElement* element = list->FirstChildElement("button"); element;
         element = element->NextSiblingElement())
        result.buttons.push_back(ReadButton(*element, vertical, result.imagePath));
    return result;
}

std::optional<CToolbarButtons> CToolbarDefinition::LoadToolbar() const {
    Trace("LoadToolbar");
    if (!Root())
        return std::nullopt;
    std::optional<CButtonListDefinition> list = ReadButtonList(false);
    if (!list) {
        Trace("Buttons elem not found!\n");
        return CToolbarButtons{};
    }
    CToolbarButtons result;
    result.buttons = std::move(list->buttons);
    for (size_t i = 0; i < result.buttons.size(); ++i)
        result.byName[result.buttons[i].name] = i;
    return result;
}
