#pragma once
// The toolbar's definition file, Arts/toolbar.xml beside the executable: which buttons the
// toolbar carries, their pictures, identifiers, tooltips and drop-downs, and where they sit in
// each orientation. The document is parsed once and kept, because every change of orientation
// reads sizes and positions from it again.
//
//   <toolbar width height>
//     <buttons imagePath width height X Y arrowPad contentWidth contentHeight>
//       <button name image menu text visible id tooltip left top w h/> ...
//     </buttons>
//     <vertical width height>
//       <buttons width height X Y arrowPad contentWidth contentHeight>
//         <button name visible left top w h/> ...
//
// Numbers are read as scanf's "%d" reads them: leading blanks and a sign, then digits; anything
// after the number is ignored ("120px" is 120).
#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class IDialogs;

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

// What a `button` element of the horizontal list becomes.
enum class ButtonKind {
    Text,    // no `image`: a plain button showing `text`
    Menu,    // `menu="true"`: a picture button with a drop-down
    Picture, // a picture button with a hover animation
};

// One `button` element. A vertical list fills only name, visible and the placement.
struct CButtonDefinition {
    QByteArray name; // compared as bytes; binds the two lists, the drop-down and the frames
    std::optional<QString> image;
    bool menu = false;
    QString text;
    bool visible = true;
    int id = 0;
    QString tooltip;
    // Absent when missing or not a number; the layout then uses the running position and the
    // list's default size.
    std::optional<int> left;
    std::optional<int> top;
    std::optional<int> w;
    std::optional<int> h;
    ButtonKind kind = ButtonKind::Text;
    QString picturePath; // the executable's folder + imagePath + image
    QString frameFolder; // Arts/<name>/ beside the executable, ending in a separator
};

// One `buttons` list with its layout values (0 when missing or not a number).
struct CButtonListDefinition {
    QString imagePath; // horizontal list only
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int arrowPad = 0;
    int contentWidth = 0;
    int contentHeight = 0;
    std::vector<CButtonDefinition> buttons; // document order
};

// The buttons to create: one window per element, and the name map, in which a later element
// with the same name replaces an earlier one.
struct CToolbarButtons {
    std::vector<CButtonDefinition> buttons;
    std::map<QByteArray, size_t> byName; // index into `buttons`

    // Null for a name no button has; the map is left as it was.
    const CButtonDefinition* Find(const QByteArray& name) const;
};

class CToolbarDefinition {
public:
    static constexpr const char* kDefaultPath = ".\\Arts\\toolbar.xml";

    // Reads Arts/toolbar.xml beside the executable.
    explicit CToolbarDefinition(IDialogs& dialogs);
    // Reads `path`; pictures and frames are looked for below `appFolder`.
    CToolbarDefinition(IDialogs& dialogs, const QString& path, const QString& appFolder);
    ~CToolbarDefinition();
    CToolbarDefinition(const CToolbarDefinition&) = delete;
    CToolbarDefinition& operator=(const CToolbarDefinition&) = delete;

    const QString& Path() const { return m_path; }
    const QString& AppFolder() const { return m_appFolder; }
    // A `toolbar` element was found: without it no toolbar can be built.
    bool HasRoot() const;

    // The window size of the orientation. Outputs the document does not give keep the
    // caller's values.
    void GetToolbarSize(bool vertical, int* width, int* height) const;

    // The list of the orientation, or none when it is missing.
    std::optional<CButtonListDefinition> ReadButtonList(bool vertical) const;

    // The buttons of the horizontal list, which the toolbar creates once. None when the
    // document has no `toolbar`; no buttons at all (a success) when it has no list.
    std::optional<CToolbarButtons> LoadToolbar() const;

private:
    void Open(IDialogs& dialogs);
    const tinyxml2::XMLElement* Root() const;
    const tinyxml2::XMLElement* ButtonsElement(bool vertical) const;
    CButtonDefinition ReadButton(const tinyxml2::XMLElement& element, bool vertical,
                                 const QString& imagePath) const;

    QString m_path;
    QString m_appFolder;
    std::unique_ptr<tinyxml2::XMLDocument> m_document;
};
