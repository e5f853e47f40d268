// Lays the user guide out from its HTML source and writes it as a PDF document.
//   ravlin_guide_writer guide.html Ravlin_Help_Win.pdf
// Pictures named in the source are read relative to the source's folder.
#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

namespace {
constexpr int kDotsPerInch = 150;
} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s GUIDE.html OUTPUT.pdf\n", argv[0]);
        return 2;
    }
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    const QString outputPath = QString::fromLocal8Bit(argv[2]);
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }

    // Written to a temporary name first, so a failed run leaves no half document behind.
    const QString partialPath = outputPath + ".part";
    {
        QPdfWriter writer(partialPath);
        writer.setTitle(QStringLiteral("Ravlin User Guide"));
        writer.setCreator(QStringLiteral("Ravlin"));
        writer.setResolution(kDotsPerInch);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));

        QTextDocument guide;
        // Laid out for the PDF's resolution, so point sizes come out as points on paper.
        guide.documentLayout()->setPaintDevice(&writer);
        guide.setBaseUrl(QUrl::fromLocalFile(QFileInfo(sourcePath).absolutePath() + "/"));
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPointSizeF(10.5);
        guide.setDefaultFont(font);
        guide.setHtml(QString::fromUtf8(source.readAll()));
        const QRectF page = writer.pageLayout().paintRectPixels(kDotsPerInch);
        guide.setPageSize(page.size());

        // Page by page ourselves: QTextDocument::print (Qt 6.4) clones the document first,
        // which takes minutes for a guide with tables.
        QPainter painter(&writer);
        const int pages = guide.pageCount();
        for (int i = 0; i < pages; ++i) {
            if (i > 0)
                writer.newPage();
            const QRectF shown(0, i * page.height(), page.width(), page.height());
            painter.save();
            painter.translate(0, -shown.top());
            guide.drawContents(&painter, shown);
            painter.restore();
        }
    }
    QFile::remove(outputPath);
    if (!QFile::rename(partialPath, outputPath)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
