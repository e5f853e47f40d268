// Reading the toolbar's definition file: failures, numbers, flags, the button walk, paths and
// the name map.
#include "CFakeDialogs.h"
#include "CToolbarDefinition.h"
#include "ToolbarTestSupport.h"

#include "QtPrinters.h"

#include <climits>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {

class ToolbarDefinitionTest : public ::testing::Test {
protected:
    QString XmlPath() const { return folder.FilePath("Arts/toolbar.xml"); }

    std::unique_ptr<CToolbarDefinition> Open() {
        return std::make_unique<CToolbarDefinition>(dialogs, XmlPath(), folder.Path());
    }
    std::unique_ptr<CToolbarDefinition> Open(const QByteArray& xml) {
        folder.Write("Arts/toolbar.xml", xml);
        return Open();
    }
    // The horizontal list of a document holding `buttons` under a plain list.
    std::vector<CButtonDefinition> Buttons(const QByteArray& buttons,
                                           const QByteArray& listAttributes = {}) {
        auto definition =
            Open("<toolbar><buttons " + listAttributes + ">" + buttons + "</buttons></toolbar>");
        auto loaded = definition->LoadToolbar();
        return loaded ? loaded->buttons : std::vector<CButtonDefinition>{};
    }

    CAppFolder folder;
    CFakeDialogs dialogs;
    CTraceCapture traces;
};

TEST_F(ToolbarDefinitionTest, FailuresAreTracedAndTheToolbarStillComesUp) {
    const QString notFound = "File not found %PATH%\n";
    const struct {
        const char* what;
        std::optional<QByteArray> content; // none: no file
        QStringList openTraces;
        bool warned;
        bool loads;
        QStringList loadTraces;
    } rows[] = {
        {"missing file",
         std::nullopt,
         {notFound, "root elem not found\n"},
         true,
         false,
         {"LoadToolbar"}},
        {"empty file",
         QByteArray(""),
         {"Invalid XML file\n", "root elem not found\n"},
         true,
         false,
         {"LoadToolbar"}},
        {"broken XML",
         QByteArray("<toolbar><buttons></toolbar>"),
         {"Invalid XML file\n", "root elem not found\n"},
         true,
         false,
         {"LoadToolbar"}},
        // Nothing of a broken document is used, even a complete toolbar before the error.
        {"garbage after the root",
         QByteArray("<toolbar width='5'><buttons/></toolbar><"),
         {"Invalid XML file\n", "root elem not found\n"},
         true,
         false,
         {"LoadToolbar"}},
        {"no toolbar root",
         QByteArray("<bar><buttons><button name='a'/></buttons></bar>"),
         {"root elem not found\n"},
         true,
         false,
         {"LoadToolbar"}},
        {"toolbar not at the top",
         QByteArray("<doc><toolbar/></doc>"),
         {"root elem not found\n"},
         true,
         false,
         {"LoadToolbar"}},
        {"root named in capitals",
         QByteArray("<Toolbar/>"),
         {"root elem not found\n"},
         true,
         false,
         {"LoadToolbar"}},
        {"no buttons list",
         QByteArray("<toolbar width='10'/>"),
         {},
         false,
         true,
         {"LoadToolbar", "Buttons elem not found!\n"}},
        {"only a vertical list",
         QByteArray("<toolbar><vertical><buttons><button name='a'/></buttons></vertical>"
                    "</toolbar>"),
         {},
         false,
         true,
         {"LoadToolbar", "Buttons elem not found!\n"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QFile::remove(XmlPath());
        if (row.content)
            folder.Write("Arts/toolbar.xml", *row.content);
        traces.texts.clear();
        dialogs.warnings.clear();

        auto definition = Open();
        QStringList expected = row.openTraces;
        expected.replaceInStrings("%PATH%", XmlPath());
        EXPECT_EQ(traces.texts, expected);
        EXPECT_EQ(dialogs.warnings,
                  row.warned ? QStringList{"Ravlin: Error loading toolbar"} : QStringList{});
        EXPECT_EQ(definition->HasRoot(), !row.warned);

        traces.texts.clear();
        const auto loaded = definition->LoadToolbar();
        EXPECT_EQ(loaded.has_value(), row.loads);
        if (loaded) {
            EXPECT_TRUE(loaded->buttons.empty());
        }
        EXPECT_EQ(traces.texts, row.loadTraces);
    }
}

TEST_F(ToolbarDefinitionTest, APercentSignInThePathIsTracedAsItIs) {
    const QString path = folder.FilePath("100%d %s/Arts/toolbar.xml");
    CToolbarDefinition definition(dialogs, path, folder.Path());
    ASSERT_FALSE(traces.texts.isEmpty());
    EXPECT_EQ(traces.texts.first(), "File not found " + path + "\n");
}

TEST_F(ToolbarDefinitionTest, WindowSizeAndListOfEachOrientation) {
    const struct {
        const char* xml;
        bool vertical;
        int width, height; // the caller starts from 7 x 9
        bool hasList;
    } rows[] = {
        {"<toolbar width='800' height='42'><buttons/>"
         "<vertical width='42' height='700'><buttons/></vertical></toolbar>",
         false, 800, 42, true},
        {"<toolbar width='800' height='42'><buttons/>"
         "<vertical width='42' height='700'><buttons/></vertical></toolbar>",
         true, 42, 700, true},
        // No vertical element: the caller's values stay.
        {"<toolbar width='800' height='42'><buttons/></toolbar>", true, 7, 9, false},
        // A vertical element without its list still gives the window size.
        {"<toolbar width='800' height='42'><buttons/><vertical width='42' height='700'/>"
         "</toolbar>",
         true, 42, 700, false},
        {"<toolbar width='800'><buttons/></toolbar>", false, 800, 9, true},
        {"<toolbar><vertical height='700'><buttons/></vertical></toolbar>", false, 7, 9, false},
        {"<toolbar><vertical height='700'><buttons/></vertical></toolbar>", true, 7, 700, true},
        // The first element of a name counts.
        {"<toolbar><vertical width='1'/><vertical width='2'><buttons/></vertical></toolbar>", true,
         1, 9, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.xml) + (row.vertical ? " vertical" : " horizontal"));
        auto definition = Open(row.xml);
        int width = 7;
        int height = 9;
        definition->GetToolbarSize(row.vertical, &width, &height);
        EXPECT_EQ(width, row.width);
        EXPECT_EQ(height, row.height);
        EXPECT_EQ(definition->ReadButtonList(row.vertical).has_value(), row.hasList);
    }
}

TEST_F(ToolbarDefinitionTest, NumbersAreReadAsPercentD) {
    const struct {
        const char* text;
        std::optional<int> value; // none: not a number
    } rows[] = {
        {"120", 120},
        {"120px", 120},
        {" -5", -5},
        {"+7", 7},
        {"\t 42", 42},
        {"0x10", 0},
        {"12.9", 12},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"- 5", std::nullopt},
        {"+-5", std::nullopt},
        {"px120", std::nullopt},
        // Beyond int: not a number rather than a wrapped-around value.
        {"2147483648", std::nullopt},
        {"99999999999", std::nullopt},
        {"-2147483649", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.text + "\"");
        const QByteArray v = row.text;
        auto definition = Open("<toolbar width='" + v + "'><buttons X='" + v + "' contentWidth='" +
                               v + "'><button name='a' left='" + v + "' w='" + v + "' id='" + v +
                               "'/></buttons><vertical height='" + v + "'><buttons Y='" + v +
                               "'><button name='a' top='" + v + "' h='" + v +
                               "'/></buttons></vertical></toolbar>");
        int width = 0;
        int height = 0;
        definition->GetToolbarSize(false, &width, &height);
        EXPECT_EQ(width, row.value.value_or(0));
        definition->GetToolbarSize(true, &width, &height);
        EXPECT_EQ(height, row.value.value_or(0));

        const auto horizontal = definition->ReadButtonList(false);
        ASSERT_TRUE(horizontal);
        EXPECT_EQ(horizontal->x, row.value.value_or(0));
        EXPECT_EQ(horizontal->contentWidth, row.value.value_or(0));
        ASSERT_EQ(horizontal->buttons.size(), 1u);
        EXPECT_EQ(horizontal->buttons[0].left, row.value);
        EXPECT_EQ(horizontal->buttons[0].w, row.value);
        EXPECT_EQ(horizontal->buttons[0].id, row.value.value_or(0));

        const auto vertical = definition->ReadButtonList(true);
        ASSERT_TRUE(vertical);
        EXPECT_EQ(vertical->y, row.value.value_or(0));
        ASSERT_EQ(vertical->buttons.size(), 1u);
        EXPECT_EQ(vertical->buttons[0].top, row.value);
        EXPECT_EQ(vertical->buttons[0].h, row.value);
    }
}

TEST_F(ToolbarDefinitionTest, KindAndVisibilityFromTheExactWords) {
    const struct {
        const char* attributes;
        ButtonKind kind;
        bool visible;
    } rows[] = {
        {"image='p.png'", ButtonKind::Picture, true},
        {"image='p.png' menu='true'", ButtonKind::Menu, true},
        {"image='p.png' menu='TRUE'", ButtonKind::Picture, true},
        {"image='p.png' menu='True'", ButtonKind::Picture, true},
        {"image='p.png' menu=' true'", ButtonKind::Picture, true},
        {"image='p.png' menu='1'", ButtonKind::Picture, true},
        {"menu='true'", ButtonKind::Text, true},
        {"text='1 / 1'", ButtonKind::Text, true},
        {"image=''", ButtonKind::Picture, true},
        {"image='p.png' visible='false'", ButtonKind::Picture, false},
        {"image='p.png' visible='False'", ButtonKind::Picture, true},
        {"image='p.png' visible='FALSE'", ButtonKind::Picture, true},
        {"image='p.png' visible='0'", ButtonKind::Picture, true},
        {"visible='false' menu='true'", ButtonKind::Text, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.attributes);
        const auto buttons = Buttons(QByteArray("<button name='b' ") + row.attributes + "/>");
        ASSERT_EQ(buttons.size(), 1u);
        EXPECT_EQ(buttons[0].kind, row.kind);
        EXPECT_EQ(buttons[0].visible, row.visible);
    }
}

TEST_F(ToolbarDefinitionTest, TheListRunsFromTheFirstButtonThroughEveryFollowingElement) {
    const auto buttons = Buttons("<separator name='before'/>"
                                 "<button name='a' image='a.png' id='1000'/>"
                                 "<!-- <button name='commented'/> -->"
                                 "<separator name='sep' id='5'/>"
                                 "text between"
                                 "<button name='b'><button name='nested'/></button>");
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].name, "a");
    EXPECT_EQ(buttons[1].name, "sep");
    EXPECT_EQ(buttons[1].id, 5);
    EXPECT_EQ(buttons[1].kind, ButtonKind::Text);
    EXPECT_EQ(buttons[2].name, "b");
}

TEST_F(ToolbarDefinitionTest, AListWithoutAnyButtonElementHasNoButtons) {
    EXPECT_TRUE(Buttons("<separator name='a'/><Button name='b'/>").empty());
}

TEST_F(ToolbarDefinitionTest, TextValuesAndDefaults) {
    const auto buttons =
        Buttons("<button name='pen' image='pen.png' text='Pen text' tooltip='Pen &amp; ink'/>"
                "<button/>");
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].image, QString("pen.png"));
    EXPECT_EQ(buttons[0].text, "Pen text");
    EXPECT_EQ(buttons[0].tooltip, "Pen & ink");
    const CButtonDefinition& bare = buttons[1];
    EXPECT_TRUE(bare.name.isEmpty());
    EXPECT_FALSE(bare.image);
    EXPECT_FALSE(bare.menu);
    EXPECT_TRUE(bare.text.isEmpty());
    EXPECT_TRUE(bare.visible);
    EXPECT_EQ(bare.id, 0);
    EXPECT_TRUE(bare.tooltip.isEmpty());
    EXPECT_FALSE(bare.left || bare.top || bare.w || bare.h);
}

TEST_F(ToolbarDefinitionTest, PicturePathJoinsImagePathAndImageAsWritten) {
    const struct {
        const char* imagePath; // null: no attribute
        const char* image;
        const char* expected; // below the executable's folder
    } rows[] = {
        {"Arts\\", "pen.png", "/Arts/pen.png"},
        {"Arts\\toolbar", "pen.png", "/Arts/toolbarpen.png"},
        {"Arts/", "pen.png", "/Arts/pen.png"},
        {".\\Arts\\", "pen.png", "/Arts/pen.png"},
        {nullptr, "pen.png", "/pen.png"},
        {"", "Arts\\pen.png", "/Arts/pen.png"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.imagePath ? row.imagePath : "(none)");
        const QByteArray listAttributes =
            row.imagePath ? "imagePath='" + QByteArray(row.imagePath) + "'" : QByteArray();
        const auto buttons =
            Buttons("<button name='pen' image='" + QByteArray(row.image) + "'/>", listAttributes);
        ASSERT_EQ(buttons.size(), 1u);
        EXPECT_EQ(buttons[0].picturePath, folder.Path() + row.expected);
    }
}

TEST_F(ToolbarDefinitionTest, FramesLiveInTheArtsFolderUnderTheButtonsName) {
    const auto buttons = Buttons("<button name='pen' image='x\\pen.png'/><button name='exit'/>",
                                 "imagePath='Skins\\'");
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].frameFolder, folder.Path() + "/Arts/pen/");
    EXPECT_EQ(buttons[1].frameFolder, folder.Path() + "/Arts/exit/");
}

TEST_F(ToolbarDefinitionTest, ListLayoutValues) {
    auto definition = Open(
        "<toolbar><buttons imagePath='Arts\\' width='36' height='34' X='12' Y='3' arrowPad='16'"
        " contentWidth='24' contentHeight='22'/>"
        "<vertical><buttons imagePath='Other\\' width='40' height='38' X='3' Y='12'"
        " arrowPad='12' contentWidth='20' contentHeight='18'/></vertical></toolbar>");
    const struct {
        bool vertical;
        const char* imagePath;
        int width, height, x, y, arrowPad, contentWidth, contentHeight;
    } rows[] = {
        {false, "Arts\\", 36, 34, 12, 3, 16, 24, 22},
        // imagePath belongs to the horizontal list alone.
        {true, "", 40, 38, 3, 12, 12, 20, 18},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.vertical ? "vertical" : "horizontal");
        const auto list = definition->ReadButtonList(row.vertical);
        ASSERT_TRUE(list);
        EXPECT_EQ(list->imagePath, QString(row.imagePath));
        EXPECT_EQ(list->width, row.width);
        EXPECT_EQ(list->height, row.height);
        EXPECT_EQ(list->x, row.x);
        EXPECT_EQ(list->y, row.y);
        EXPECT_EQ(list->arrowPad, row.arrowPad);
        EXPECT_EQ(list->contentWidth, row.contentWidth);
        EXPECT_EQ(list->contentHeight, row.contentHeight);
    }
    // Missing values are 0.
    auto bare = Open("<toolbar><buttons/></toolbar>");
    const auto list = bare->ReadButtonList(false);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->width + list->height + list->x + list->y + list->arrowPad + list->contentWidth +
                  list->contentHeight,
              0);
}

TEST_F(ToolbarDefinitionTest, TheVerticalListGivesOnlyNamesVisibilityAndPlacement) {
    auto definition = Open("<toolbar><buttons/><vertical><buttons>"
                           "<button name='pen' image='pen.png' menu='true' id='1000' text='t'"
                           " tooltip='Pen' visible='false' left='1' top='2' w='3' h='4'/>"
                           "</buttons></vertical></toolbar>");
    const auto list = definition->ReadButtonList(true);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->buttons.size(), 1u);
    const CButtonDefinition& pen = list->buttons[0];
    EXPECT_EQ(pen.name, "pen");
    EXPECT_FALSE(pen.visible);
    EXPECT_EQ(pen.left, 1);
    EXPECT_EQ(pen.top, 2);
    EXPECT_EQ(pen.w, 3);
    EXPECT_EQ(pen.h, 4);
    EXPECT_FALSE(pen.image);
    EXPECT_FALSE(pen.menu);
    EXPECT_EQ(pen.id, 0);
    EXPECT_TRUE(pen.tooltip.isEmpty());
    EXPECT_TRUE(pen.text.isEmpty());
}

TEST_F(ToolbarDefinitionTest, ALaterButtonOfTheSameNameTakesTheName) {
    auto definition = Open("<toolbar><buttons>"
                           "<button name='pen' image='a.png' id='1'/>"
                           "<button name='marker' image='m.png' id='2'/>"
                           "<button name='pen' image='b.png' id='3'/>"
                           "</buttons><vertical><buttons>"
                           "<button name='ghost'/><button name='pen'/><button name='Pen'/>"
                           "</buttons></vertical></toolbar>");
    const auto loaded = definition->LoadToolbar();
    ASSERT_TRUE(loaded);
    // Both windows are made; only the later one is found by name.
    ASSERT_EQ(loaded->buttons.size(), 3u);
    ASSERT_EQ(loaded->byName.size(), 2u);
    ASSERT_TRUE(loaded->Find("pen"));
    EXPECT_EQ(loaded->Find("pen")->id, 3);
    EXPECT_EQ(loaded->Find("marker")->id, 2);

    // Names of the vertical list that no button has are not found and add nothing.
    const auto vertical = definition->ReadButtonList(true);
    ASSERT_TRUE(vertical);
    QList<int> found;
    for (const CButtonDefinition& entry : vertical->buttons)
        if (const CButtonDefinition* button = loaded->Find(entry.name))
            found << button->id;
    EXPECT_EQ(found, QList<int>{3});
    EXPECT_EQ(loaded->byName.size(), 2u);
}

TEST_F(ToolbarDefinitionTest, TheDocumentIsReadOnceAndKept) {
    auto definition = Open("<toolbar width='800'><buttons><button name='a'/></buttons>"
                           "</toolbar>");
    folder.Write("Arts/toolbar.xml", "<toolbar width='1'/>");
    int width = 0;
    int height = 0;
    definition->GetToolbarSize(false, &width, &height);
    EXPECT_EQ(width, 800);
    ASSERT_TRUE(definition->LoadToolbar());
    EXPECT_EQ(definition->LoadToolbar()->buttons.size(), 1u);
}

TEST_F(ToolbarDefinitionTest, NonAsciiTextSurvives) {
    const auto buttons = Buttons("<button name='stylo' image='stylo.png' tooltip='Crayon à "
                                 "encre' text='Seite ü'/>");
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].tooltip, QString::fromUtf8("Crayon à encre"));
    EXPECT_EQ(buttons[0].text, QString::fromUtf8("Seite ü"));
}

} // namespace
