#pragma once
// An overlay on the offscreen platform with scripted displays, display server and dialogs.
#include "CFakeDialogs.h"
#include "CFakeDisplayServer.h"
#include "CFakeGlobalKeys.h"
#include "CMainWindow.h"
#include "CommandTable.h"

#include <QPainter>

#include "QtPrinters.h"

#include <gtest/gtest.h>

class OverlayFixture : public ::testing::Test {
protected:
    static std::vector<_DisplayEntry> TwoDisplays() {
        // A primary display with a 40-pixel panel at the bottom, and a second display of
        // another resolution to its right, lower down.
        return {{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040), true, 1.0, "primary"},
                {QRect(1920, 200, 1280, 1024), QRect(1920, 200, 1280, 1024), false, 1.0, "right"}};
    }

    void CreateOverlay(std::vector<_DisplayEntry> displays = TwoDisplays()) {
        ExpectEveryWriteSaved();
        overlay = std::make_unique<CMainWindow>(server, dialogs, keys);
        overlay->Display().SetDisplays(std::move(displays));
        overlay->Display().SetCurrentDisplay(0);
        BuildCommandTable(*overlay);
        overlay->SetQuitHandler([this] { ++quits; });
        overlay->CreateOverlay();
        // Whatever a test draws, each undo step must have saved every pixel it changed.
        overlay->UndoHistory().SetChecking(true);
    }

    void TearDown() override { ExpectEveryWriteSaved(); }
    void ExpectEveryWriteSaved() {
        if (overlay) {
            EXPECT_EQ(overlay->UndoHistory().UntouchedWrites(), 0)
                << "a write to the page was not saved for undo first";
        }
    }

    // Paints a rectangle of one colour straight onto the current page.
    void PaintOnPage(const QRect& rect, QColor colour) {
        QPainter painter(&overlay->CurrentPage()->bitmap);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect, colour);
    }

    static QRgb Unpremultiplied(const QImage& image, QPoint p) {
        return qUnpremultiply(image.pixel(p));
    }

    CFakeDisplayServer server;
    CFakeDialogs dialogs;
    CFakeGlobalKeys keys;
    std::unique_ptr<CMainWindow> overlay;
    int quits = 0;
};
