#include "CWebcamCapture.h"

#include <gtest/gtest.h>
#include <vector>

TEST(WebcamFrame, PaddedRowsAreCopiedTopRowFirst) {
    // 3 x 2 pixels, rows padded to 12 bytes, top row red, bottom row blue.
    std::vector<unsigned char> data(24, 0xEE);
    for (int x = 0; x < 3; ++x) {
        data[x * 3 + 0] = 255; // top: red
        data[x * 3 + 1] = 0;
        data[x * 3 + 2] = 0;
        data[12 + x * 3 + 0] = 0; // bottom: blue
        data[12 + x * 3 + 1] = 0;
        data[12 + x * 3 + 2] = 255;
    }
    const QImage frame = CWebcamCapture::FrameFromRgb(data.data(), data.size(), 3, 2, 12);
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.size(), QSize(3, 2));
    EXPECT_EQ(frame.pixel(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(frame.pixel(2, 1), qRgb(0, 0, 255));
}

TEST(WebcamFrame, BuffersThatCannotHoldThePictureAreRefused) {
    std::vector<unsigned char> data(100, 0);
    struct Row {
        size_t size;
        int width, height, stride;
        bool accepted;
    };
    const Row rows[] = {
        {21, 3, 2, 12, true},   // the last row needs no padding
        {20, 3, 2, 12, false},  // one byte short
        {100, 3, 2, 8, false},  // rows shorter than the pixels
        {100, 0, 2, 12, false}, // no picture
        {100, 3, -2, 12, false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(
            !CWebcamCapture::FrameFromRgb(data.data(), row.size, row.width, row.height, row.stride)
                 .isNull(),
            row.accepted)
            << row.size << " " << row.width << "x" << row.height << " stride " << row.stride;
}
