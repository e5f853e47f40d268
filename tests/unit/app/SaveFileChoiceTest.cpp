// The name a file gets from the Save As dialog: the extension typed, or the file type chosen.
#include "CSaveFileChoice.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {
const QStringList kMovies{"Windows Media Video(*.wmv)", "MPEG-4 Video(*.mp4)",
                          "WebM Video(*.webm)"};
const QStringList kPictures{"Bitmap(*.bmp)", "JPEG(*.jpg)", "PNG(*.png)", "GIF(*.gif)"};

TEST(SaveFileChoice, AListedExtensionWinsAnyOtherNameGetsTheChosenTypesExtension) {
    const struct {
        const char* typed;
        int filter;
        const QStringList& filters;
        const char* written;
    } cases[] = {
        {"/home/a/talk", 1, kMovies, "/home/a/talk.mp4"},
        {"/home/a/talk", 0, kMovies, "/home/a/talk.wmv"},
        {"/home/a/talk.webm", 1, kMovies, "/home/a/talk.webm"}, // the typed extension wins
        {"/home/a/talk.MP4", 0, kMovies, "/home/a/talk.MP4"},   // in any case
        {"/home/a/talk.avi", 2, kMovies, "/home/a/talk.avi.webm"},
        {"/home/a/talk.", 1, kMovies, "/home/a/talk.mp4"},
        {"/home/a/q3.review/talk", 1, kMovies, "/home/a/q3.review/talk.mp4"},
        {"/home/a/talk", 7, kMovies, "/home/a/talk.wmv"}, // no such entry: the first
        {"/home/a/shot", 1, kPictures, "/home/a/shot.jpg"},
        {"/home/a/shot", 2, kPictures, "/home/a/shot.png"},
        {"/home/a/shot.GIF", 2, kPictures, "/home/a/shot.GIF"},
        {"/home/a/shot.jpeg", 2, kPictures, "/home/a/shot.jpeg"}, // known beside the list
        {"/home/a/shot.tiff", 0, kPictures, "/home/a/shot.tiff.bmp"},
        {"", 1, kMovies, ""}, // cancelled
    };
    for (const auto& c : cases) {
        const CSaveFileChoice choice{QString::fromUtf8(c.typed), c.filter};
        EXPECT_EQ(choice.FinalPath(c.filters, {"jpeg"}), c.written) << c.typed << " " << c.filter;
    }
}
} // namespace
