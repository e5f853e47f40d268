// Fonts and strings: fallback for missing families, sizes independent of the picture's
// resolution, and where DrawString puts the text compared with what MeasureString says.
#include "CBitmap.h"
#include "CGraphics.h"
#include "PixelAssertions.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <gtest/gtest.h>

namespace {

constexpr ARGB kInk = 0xFF000000u;
const QString kShortText = QStringLiteral("Hi there");
const QString kLongText =
    QStringLiteral("A long sentence that would never fit on one line of a narrow layout box");

QString GenericSansSerifFace() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    return QFontInfo(font).family();
}

struct SFamilyCase {
    const char* family;
    bool fallback;
};

class FontFamilies : public ::testing::TestWithParam<SFamilyCase> {};

// "Arial" and "Courier New" are not installed as such; fontconfig stands in metric-compatible
// faces, which are as good as the real ones for laying out text.
TEST_P(FontFamilies, FallBackOnlyWhenNothingCompatibleIsInstalled) {
    const CFont font(QString::fromLatin1(GetParam().family), 12, false);
    EXPECT_EQ(font.IsFallback(), GetParam().fallback);
    if (GetParam().fallback) {
        EXPECT_EQ(QFontInfo(font.ToQFont()).family(), GenericSansSerifFace());
    } else {
        EXPECT_NE(QFontInfo(font.ToQFont()).family(), GenericSansSerifFace());
    }
}

INSTANTIATE_TEST_SUITE_P(Families, FontFamilies,
                         ::testing::Values(SFamilyCase{"Arial", false},
                                           SFamilyCase{"Courier New", false},
                                           SFamilyCase{"Liberation Serif", false},
                                           SFamilyCase{"No Such Family Ravlin", true},
                                           SFamilyCase{"", true}));

struct SSizeCase {
    float points;
    int pixels;
};

class FontSizes : public ::testing::TestWithParam<SSizeCase> {};

TEST_P(FontSizes, PointsArePixelsAt96Dpi) {
    const CFont font(QStringLiteral("Arial"), GetParam().points, true);
    EXPECT_EQ(font.PixelSize(), GetParam().pixels);
    EXPECT_EQ(font.ToQFont().pixelSize(), GetParam().pixels);
    EXPECT_TRUE(font.ToQFont().bold());
}

INSTANTIATE_TEST_SUITE_P(Sizes, FontSizes,
                         ::testing::Values(SSizeCase{12, 16}, SSizeCase{9, 12}, SSizeCase{24, 32},
                                           SSizeCase{10, 13}, SSizeCase{0.1f, 1}));

// A picture that claims 72 or 300 DPI gets text of the same size.
TEST(Font, TextSizeDoesNotDependOnThePicturesResolution) {
    const CFont font(QStringLiteral("Arial"), 20, false);
    const CStringFormat format;
    QRectF measured[2];
    QRect painted[2];
    const int dotsPerMeter[2] = {2835, 11811};
    for (int i = 0; i < 2; ++i) {
        QImage surface = CBitmap::CreateBitmap(300, 80);
        surface.setDotsPerMeterX(dotsPerMeter[i]);
        surface.setDotsPerMeterY(dotsPerMeter[i]);
        CGraphics graphics(&surface);
        measured[i] = graphics.MeasureString(kShortText, font, {10, 10, 280, 60}, format);
        graphics.DrawString(kShortText, font, {10, 10, 280, 60}, format, CBrush::Solid(kInk));
        painted[i] = PaintedBounds(surface);
    }
    EXPECT_EQ(measured[0], measured[1]);
    EXPECT_EQ(painted[0], painted[1]);
}

struct SAlignmentCase {
    EStringAlignment alignment;
    EStringAlignment lineAlignment;
};

class StringAlignment : public ::testing::TestWithParam<SAlignmentCase> {
protected:
    const QRectF m_layout{20, 10, 260, 90};
    const CFont m_font{QStringLiteral("Arial"), 14, false};
};

TEST_P(StringAlignment, DrawsWhereMeasureStringSays) {
    CStringFormat format;
    format.SetAlignment(GetParam().alignment);
    format.SetLineAlignment(GetParam().lineAlignment);
    QImage surface = CBitmap::CreateBitmap(300, 110);
    CGraphics graphics(&surface);
    const QRectF measured = graphics.MeasureString(kShortText, m_font, m_layout, format);
    graphics.DrawString(kShortText, m_font, m_layout, format, CBrush::Solid(kInk));
    const QRect painted = PaintedBounds(surface);
    ASSERT_FALSE(painted.isEmpty());
    // Glyphs sit inside their line box, which is a little taller and wider than the ink.
    EXPECT_TRUE(measured.toAlignedRect().adjusted(-1, -1, 1, 1).contains(painted))
        << "measured " << measured.x() << "," << measured.y() << " " << measured.width() << "x"
        << measured.height();

    if (GetParam().alignment == EStringAlignment::Near) {
        EXPECT_NEAR(measured.left(), m_layout.left(), 0.5);
    } else {
        EXPECT_NEAR(measured.center().x(), m_layout.center().x(), 1.0);
    }
    if (GetParam().lineAlignment == EStringAlignment::Near) {
        EXPECT_NEAR(measured.top(), m_layout.top(), 0.5);
    } else {
        EXPECT_NEAR(measured.center().y(), m_layout.center().y(), 1.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, StringAlignment,
    ::testing::Values(SAlignmentCase{EStringAlignment::Near, EStringAlignment::Near},
                      SAlignmentCase{EStringAlignment::Center, EStringAlignment::Near},
                      SAlignmentCase{EStringAlignment::Near, EStringAlignment::Center},
                      SAlignmentCase{EStringAlignment::Center, EStringAlignment::Center}));

class StringWrapping : public ::testing::Test {
protected:
    QRectF Measure(int flags, const QRectF& layout, QRect* painted) {
        CStringFormat format;
        format.SetFormatFlags(flags);
        QImage surface = CBitmap::CreateBitmap(900, 300);
        CGraphics graphics(&surface);
        const QRectF measured = graphics.MeasureString(kLongText, m_font, layout, format);
        graphics.DrawString(kLongText, m_font, layout, format, CBrush::Solid(kInk));
        *painted = PaintedBounds(surface);
        return measured;
    }

    const CFont m_font{QStringLiteral("Arial"), 12, false};
    const QRectF m_narrow{10, 10, 120, 280};
};

TEST_F(StringWrapping, NoWrapKeepsALongStringOnOneLineAndPaintsAllOfIt) {
    QRect painted;
    const QRectF measured = Measure(kStringFormatNoWrap, m_narrow, &painted);
    const qreal lineHeight = QFontMetricsF(m_font.ToQFont()).height();
    EXPECT_NEAR(measured.height(), lineHeight, 1.0);
    EXPECT_GT(measured.width(), 3 * m_narrow.width());
    EXPECT_LE(painted.height(), lineHeight + 1);
    // Not cut off at the layout's edge: the whole measured line is painted.
    EXPECT_GT(painted.right(), measured.right() - 15);
}

TEST_F(StringWrapping, WithoutNoWrapTheStringWrapsAtTheLayoutWidth) {
    QRect painted;
    const QRectF measured = Measure(0, m_narrow, &painted);
    const qreal lineHeight = QFontMetricsF(m_font.ToQFont()).height();
    EXPECT_GT(measured.height(), 3 * lineHeight);
    EXPECT_LE(measured.width(), m_narrow.width());
    EXPECT_LE(painted.right(), m_narrow.right() + 1);
    EXPECT_GT(painted.height(), 3 * lineHeight);
}

TEST_F(StringWrapping, ALayoutWithoutWidthDoesNotWrap) {
    QRect painted;
    const QRectF measured = Measure(0, QRectF(10, 10, 0, 0), &painted);
    EXPECT_NEAR(measured.height(), QFontMetricsF(m_font.ToQFont()).height(), 1.0);
}

} // namespace
