// Tool and value commands: what each sets, that each ends pointer mode, and that the same
// choice leaves the same state whichever way it arrives.
#include "CToolCursors.h"
#include "OverlayFixture.h"

namespace {
class ToolStateTest : public OverlayFixture {
protected:
    void SetUp() override { CreateOverlay(); }
};

TEST_F(ToolStateTest, EachCommandSetsItsToolAndValueAndEndsPointerMode) {
    struct CState {
        int tool;
        ARGB penColour;
        float penWidth;
        ARGB markerColour;
        int eraserWidth;
        ARGB textColour;
        int textSize;
    };
    const CState start{0, 0xFFFF0000, 5.0f, 0x8FFFFF00, 40, 0xFF0000FF, 36};
    const struct {
        CommandId id;
        CState after;
    } cases[] = {
        {ID_PEN, start},
        {ID_MARKER, {1, 0xFFFF0000, 5.0f, 0x8FFFFF00, 40, 0xFF0000FF, 36}},
        {ID_ERASER, {2, 0xFFFF0000, 5.0f, 0x8FFFFF00, 40, 0xFF0000FF, 36}},
        {ID_TEXT, {4, 0xFFFF0000, 5.0f, 0x8FFFFF00, 40, 0xFF0000FF, 36}},
        {ID_PEN_BLACK, {0, 0xFF000000, 5.0f, 0x8FFFFF00, 40, 0xFF0000FF, 36}},
        {ID_PEN_GREEN, {0, 0xFF008000, 5.0f, 0x8FFFFF00, 40, 0xFF0000FF, 36}},
        {ID_PEN_YELLOW, {0, 0xFFFFFF00, 5.0f, 0x8FFFFF00, 40, 0xFF0000FF, 36}},
        {ID_PEN_THINNER, {0, 0xFFFF0000, 2.5f, 0x8FFFFF00, 40, 0xFF0000FF, 36}},
        {ID_PEN_MEDIUM, {0, 0xFFFF0000, 7.5f, 0x8FFFFF00, 40, 0xFF0000FF, 36}},
        {ID_PEN_THICK, {0, 0xFFFF0000, 10.0f, 0x8FFFFF00, 40, 0xFF0000FF, 36}},
        {ID_MARKER_TURQUOISE, {1, 0xFFFF0000, 5.0f, 0x8F40E0D0, 40, 0xFF0000FF, 36}},
        {ID_MARKER_PINK, {1, 0xFFFF0000, 5.0f, 0x8FFFC0CB, 40, 0xFF0000FF, 36}},
        {ID_ERASER_SMALL, {2, 0xFFFF0000, 5.0f, 0x8FFFFF00, 10, 0xFF0000FF, 36}},
        {ID_ERASER_MEDIUM, {2, 0xFFFF0000, 5.0f, 0x8FFFFF00, 20, 0xFF0000FF, 36}},
        {ID_TEXT_RED, {4, 0xFFFF0000, 5.0f, 0x8FFFFF00, 40, 0xFFFF0000, 36}},
        {ID_TEXT_WHITE, {4, 0xFFFF0000, 5.0f, 0x8FFFFF00, 40, 0xFFFFFFFF, 36}},
        {ID_TEXT_YELLOW, {4, 0xFFFF0000, 5.0f, 0x8FFFFF00, 40, 0xFFFFFF00, 36}},
        {ID_TEXT_12PT, {4, 0xFFFF0000, 5.0f, 0x8FFFFF00, 40, 0xFF0000FF, 12}},
        {ID_TEXT_48PT, {4, 0xFFFF0000, 5.0f, 0x8FFFFF00, 40, 0xFF0000FF, 48}},
    };
    for (const auto& c : cases) {
        CreateOverlay();
        overlay->Values().markerWidth = 7; // every marker choice puts it back to 20
        ASSERT_TRUE(overlay->IsPointerMode());
        EXPECT_TRUE(overlay->OnCommand(c.id)) << c.id;
        EXPECT_FALSE(overlay->IsPointerMode()) << c.id;
        EXPECT_EQ(overlay->tool, c.after.tool) << c.id;
        EXPECT_EQ(overlay->Values().penColour, c.after.penColour) << c.id;
        EXPECT_EQ(overlay->Values().penWidth, c.after.penWidth) << c.id;
        EXPECT_EQ(overlay->Values().markerColour, c.after.markerColour) << c.id;
        EXPECT_EQ(overlay->Values().markerWidth, c.after.tool == 1 && c.id != ID_MARKER ? 20 : 7)
            << c.id;
        EXPECT_EQ(overlay->Values().eraserWidth, c.after.eraserWidth) << c.id;
        EXPECT_EQ(overlay->Values().textColour, c.after.textColour) << c.id;
        EXPECT_EQ(overlay->Values().textSize, c.after.textSize) << c.id;
    }
}

TEST_F(ToolStateTest, MouseKeepsTheToolAndLeavesABoardForTheDesktop) {
    overlay->OnCommand(ID_ERASER);
    overlay->desktopScene = 0;
    overlay->backgroundColour = 0xFF000000;
    overlay->OnCommand(ID_MOUSE);
    EXPECT_TRUE(overlay->IsPointerMode());
    EXPECT_EQ(overlay->tool, 2);
    EXPECT_EQ(overlay->desktopScene, 1);
    EXPECT_EQ(overlay->backgroundColour, 0x01FFFFFFu);
    EXPECT_LE(qAlpha(Unpremultiplied(overlay->Surface(), QPoint(10, 10))), 2);
}

TEST_F(ToolStateTest, ThickInPointerModeChoosesThePenAndKeepsItsColour) {
    overlay->OnCommand(ID_PEN_BLUE);
    overlay->OnCommand(ID_MARKER);
    overlay->OnCommand(ID_MOUSE);
    overlay->OnCommand(ID_PEN_THICK);
    EXPECT_FALSE(overlay->IsPointerMode());
    EXPECT_EQ(overlay->tool, 0);
    EXPECT_EQ(overlay->Values().penColour, 0xFF0000FFu);
    EXPECT_EQ(overlay->Values().penWidth, 10.0f);
}

TEST(ToolCursors, PenAndMarkerTipsTakeTheToolColourAndTheEraserStaysAsDrawn) {
    const QImage pen = CToolCursors::Picture(0, 0xFF0000FF);
    ASSERT_EQ(pen.size(), QSize(16, 16));
    EXPECT_EQ(qUnpremultiply(pen.pixel(CToolCursors::kHotSpot)), 0xFF0000FFu) << "the tip";
    const QImage marker = CToolCursors::Picture(1, 0x8F40E0D0);
    EXPECT_EQ(qUnpremultiply(marker.pixel(CToolCursors::kHotSpot)), 0xFF40E0D0u)
        << "the colour without its translucency";
    int whites = 0;
    for (const QImage& picture : {pen, marker})
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                whites += picture.pixel(x, y) == 0xFFFFFFFFu;
    EXPECT_EQ(whites, 0) << "every white pixel took the colour";
    const QImage eraser = CToolCursors::Picture(2, 0xFF0000FF);
    EXPECT_EQ(eraser, CToolCursors::Picture(2, 0xFFFF0000));
    EXPECT_TRUE(CToolCursors::Picture(3, 0).isNull());
}

TEST(MenuResource, ItemPicturesGoByPosition) {
    CMenuResource menu = CMenuResource::Load(134);
    menu.AttachPictures("pen", 0, 199, 6, "/pics");
    menu.AttachPictures("pen", 7, 195, 4, "/pics");
    menu.AttachPictures("eraser", 0, 186, 9, "/pics"); // more pictures than items: no harm
    const CMenuPopup* pen = menu.FindPopupByCaption("pen");
    EXPECT_EQ(pen->items[0].picture, "/pics/199.png");
    EXPECT_EQ(pen->items[5].picture, "/pics/204.png");
    EXPECT_TRUE(pen->items[6].picture.isEmpty()) << "the separator";
    EXPECT_EQ(pen->items[10].picture, "/pics/198.png");
    EXPECT_EQ(menu.FindPopupByCaption("eraser")->items[2].picture, "/pics/188.png");
    EXPECT_TRUE(menu.FindPopupByCaption("marker")->items[0].picture.isEmpty());
}

TEST(MenuResource, PopupsAreFoundByTheirExactCaption) {
    const CMenuResource menu = CMenuResource::Load(134);
    QStringList captions;
    for (const CMenuPopup& popup : menu.Popups())
        captions << popup.caption;
    EXPECT_EQ(captions, (QStringList{"pen", "marker", "eraser", "clear", "record", "webcam", "text",
                                     "scene"}));
    const CMenuPopup* pen = menu.FindPopupByCaption("pen");
    ASSERT_NE(pen, nullptr);
    ASSERT_EQ(pen->items.size(), 11u);
    EXPECT_TRUE(pen->items[6].separator);
    EXPECT_EQ(pen->items[0].id, ID_PEN_BLACK);
    EXPECT_EQ(pen->items[10].text, "Thick");
    EXPECT_EQ(menu.FindPopupByCaption("Pen"), nullptr);
    EXPECT_EQ(menu.FindPopupByCaption("pen "), nullptr);
    const CMenuPopup* record = menu.FindPopupByCaption("record");
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->items[0].checked);
    EXPECT_FALSE(record->items[1].checked);
    EXPECT_TRUE(CMenuResource::FromJson("not json").Popups().empty());
}
} // namespace
