#include "CColorQuantizer.h"

#include "CNearestPaletteColor.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int kMaxColors = 256;

// The palette is chosen from a histogram of 5 bits per channel; its colours are the exact means
// of the pixels in each box, so the coarse bins cost no colour accuracy, only resolution.
constexpr int kBinBits = 5;
constexpr int kBinCount = 1 << (3 * kBinBits);

int BinOf(QRgb color) {
    constexpr int shift = 8 - kBinBits;
    return ((qRed(color) >> shift) << (2 * kBinBits)) | ((qGreen(color) >> shift) << kBinBits) |
           (qBlue(color) >> shift);
}

// Channel 0 is red, 1 green, 2 blue.
int BinCoordinate(int bin, int channel) {
    return (bin >> ((2 - channel) * kBinBits)) & ((1 << kBinBits) - 1);
}

int Channel(QRgb color, int channel) {
    return channel == 0 ? qRed(color) : channel == 1 ? qGreen(color) : qBlue(color);
}

struct SHistogramBin {
    quint64 count = 0;
    std::array<double, 3> sum{};
    std::array<double, 3> sumOfSquares{};
};

// A box of the median cut: the bins order[begin, end).
struct SBox {
    size_t begin = 0;
    size_t end = 0;
    double count = 0;
    std::array<double, 3> sum{};
    double error = -1; // summed squared distance of its pixels to their mean; -1: cannot split
    int axis = 0;
};

void Measure(SBox& box, const std::vector<int>& order, const std::vector<SHistogramBin>& bins) {
    std::array<double, 3> sumOfSquares{};
    std::array<int, 3> low{255, 255, 255};
    std::array<int, 3> high{0, 0, 0};
    box.count = 0;
    box.sum = {};
    for (size_t i = box.begin; i < box.end; ++i) {
        const SHistogramBin& bin = bins[size_t(order[i])];
        box.count += double(bin.count);
        for (int c = 0; c < 3; ++c) {
            box.sum[size_t(c)] += bin.sum[size_t(c)];
            sumOfSquares[size_t(c)] += bin.sumOfSquares[size_t(c)];
            low[size_t(c)] = std::min(low[size_t(c)], BinCoordinate(order[i], c));
            high[size_t(c)] = std::max(high[size_t(c)], BinCoordinate(order[i], c));
        }
    }
    box.error = -1;
    double total = 0;
    double axisError = -1;
    for (int c = 0; c < 3; ++c) {
        const double sum = box.sum[size_t(c)];
        const double channelError = sumOfSquares[size_t(c)] - sum * sum / box.count;
        total += channelError;
        // Split along the channel that spreads most, among those the bins can be cut along.
        if (high[size_t(c)] > low[size_t(c)] && channelError > axisError) {
            axisError = channelError;
            box.axis = c;
        }
    }
    if (axisError >= 0)
        box.error = std::max(total, 0.0);
}

std::vector<QRgb> MedianCutPalette(const QImage& image) {
    std::vector<SHistogramBin> bins(kBinCount);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            SHistogramBin& bin = bins[size_t(BinOf(line[x]))];
            ++bin.count;
            for (int c = 0; c < 3; ++c) {
                const double value = Channel(line[x], c);
                bin.sum[size_t(c)] += value;
                bin.sumOfSquares[size_t(c)] += value * value;
            }
        }
    }
    std::vector<int> order;
    for (int i = 0; i < kBinCount; ++i) {
        if (bins[size_t(i)].count != 0)
            order.push_back(i);
    }

    std::vector<SBox> boxes(1);
    boxes[0].end = order.size();
    Measure(boxes[0], order, bins);
    while (boxes.size() < size_t(kMaxColors)) {
        // The box whose pixels lie farthest from its mean; the first of equals, so the result
        // does not depend on anything but the picture.
        size_t worst = 0;
        for (size_t i = 1; i < boxes.size(); ++i) {
            if (boxes[i].error > boxes[worst].error)
                worst = i;
        }
        SBox& box = boxes[worst];
        if (box.error < 0)
            break;
        const int axis = box.axis;
        std::sort(order.begin() + std::ptrdiff_t(box.begin),
                  order.begin() + std::ptrdiff_t(box.end), [axis](int a, int b) {
                      const int ca = BinCoordinate(a, axis);
                      const int cb = BinCoordinate(b, axis);
                      return ca != cb ? ca < cb : a < b;
                  });
        // Cut at the median pixel, keeping at least one bin on each side.
        double seen = 0;
        size_t cut = box.begin;
        while (cut < box.end && seen < box.count / 2) {
            seen += double(bins[size_t(order[cut])].count);
            ++cut;
        }
        cut = std::clamp(cut, box.begin + 1, box.end - 1);
        SBox upper;
        upper.begin = cut;
        upper.end = box.end;
        box.end = cut;
        Measure(box, order, bins);
        Measure(upper, order, bins);
        boxes.push_back(upper);
    }

    std::vector<QRgb> palette;
    palette.reserve(boxes.size());
    for (const SBox& box : boxes) {
        auto mean = [&](int c) {
            return qBound(0, int(box.sum[size_t(c)] / box.count + 0.5), 255);
        };
        palette.push_back(qRgb(mean(0), mean(1), mean(2)));
    }
    return palette;
}

// Errors are kept in sixteenths so the 7/3/5/1 shares stay whole numbers.
int Diffused(int value, int sixteenths) {
    const int error = sixteenths >= 0 ? (sixteenths + 8) / 16 : (sixteenths - 8) / 16;
    return qBound(0, value + error, 255);
}

QImage DitherToPalette(const QImage& image, const std::vector<QRgb>& palette) {
    QImage indexed(image.size(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return indexed;
    indexed.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    CNearestPaletteColor nearest(palette);
    const int width = image.width();
    // One spare column on each side, three channels per column.
    std::vector<int> errors(size_t(width + 2) * 3);
    std::vector<int> nextErrors(errors.size());
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        std::fill(nextErrors.begin(), nextErrors.end(), 0);
        for (int x = 0; x < width; ++x) {
            const size_t here = size_t(x + 1) * 3;
            std::array<int, 3> wanted{};
            for (int c = 0; c < 3; ++c)
                wanted[size_t(c)] = Diffused(Channel(line[x], c), errors[here + size_t(c)]);
            const int index = nearest.Find(wanted[0], wanted[1], wanted[2]);
            out[x] = uchar(index);
            for (int c = 0; c < 3; ++c) {
                const int error = wanted[size_t(c)] - Channel(palette[size_t(index)], c);
                errors[here + 3 + size_t(c)] += error * 7;
                nextErrors[here - 3 + size_t(c)] += error * 3;
                nextErrors[here + size_t(c)] += error * 5;
                nextErrors[here + 3 + size_t(c)] += error;
            }
        }
        errors.swap(nextErrors);
    }
    return indexed;
}

// The colours in order of first appearance, or nothing when there are more than 256.
std::vector<QRgb> ExactPalette(const QImage& image, QHash<QRgb, int>& indexOf) {
    std::vector<QRgb> palette;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (indexOf.contains(line[x]))
                continue;
            if (palette.size() == size_t(kMaxColors))
                return {};
            indexOf.insert(line[x], int(palette.size()));
            palette.push_back(line[x]);
        }
    }
    return palette;
}

} // namespace

QImage CColorQuantizer::ToIndexed8(const QImage& image) {
    if (image.isNull())
        return QImage();
    // Opaque 0xffRRGGBB words; the alpha byte is forced so equal colours compare equal.
    QImage opaque = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < opaque.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(opaque.scanLine(y));
        for (int x = 0; x < opaque.width(); ++x)
            line[x] |= 0xFF000000u;
    }

    QHash<QRgb, int> indexOf;
    const std::vector<QRgb> exact = ExactPalette(opaque, indexOf);
    if (exact.empty())
        return DitherToPalette(opaque, MedianCutPalette(opaque));

    QImage indexed(opaque.size(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return indexed;
    indexed.setColorTable(QList<QRgb>(exact.begin(), exact.end()));
    for (int y = 0; y < opaque.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(opaque.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < opaque.width(); ++x)
            out[x] = uchar(indexOf.value(line[x]));
    }
    return indexed;
}
