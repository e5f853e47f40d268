#include "CNearestPaletteColor.h"

#include <algorithm>

namespace {

// Colour space is cut into cells of 16 x 16 x 16 colours. For each cell only the entries that can
// be nearest to some colour inside it are kept: one whose closest approach to the cell is
// farther than another entry's farthest point never wins there. Usually a handful are left, so
// mapping a full-screen picture stays fast, and the answer stays exact.
constexpr int kCellBits = 4;
constexpr int kCellSide = 1 << kCellBits;
constexpr int kCellsPerChannel = 256 >> kCellBits;

int Square(int value) {
    return value * value;
}

// Squared distance from value to the range [low, high] along one channel.
int NearestOnRange(int value, int low, int high) {
    return value < low ? Square(low - value) : value > high ? Square(value - high) : 0;
}

int FarthestOnRange(int value, int low, int high) {
    return std::max(Square(value - low), Square(value - high));
}

int Channel(QRgb color, int channel) {
    return channel == 0 ? qRed(color) : channel == 1 ? qGreen(color) : qBlue(color);
}

} // namespace

CNearestPaletteColor::CNearestPaletteColor(const std::vector<QRgb>& palette)
    : m_palette(palette), m_cells(size_t(kCellsPerChannel * kCellsPerChannel * kCellsPerChannel)) {}

int CNearestPaletteColor::Find(int red, int green, int blue) {
    if (m_palette.empty())
        return -1;
    const int cell =
        ((red >> kCellBits) * kCellsPerChannel + (green >> kCellBits)) * kCellsPerChannel +
        (blue >> kCellBits);
    const SCellCandidates& candidates = CandidatesOf(cell, red, green, blue);
    int best = -1;
    int bestDistance = 1 << 30;
    for (int i = candidates.first; i < candidates.first + candidates.count; ++i) {
        const QRgb color = m_palette[size_t(m_candidates[size_t(i)])];
        const int distance =
            Square(qRed(color) - red) + Square(qGreen(color) - green) + Square(qBlue(color) - blue);
        // Candidates are in palette order, so the first of equals is the lowest index.
        if (distance < bestDistance) {
            bestDistance = distance;
            best = m_candidates[size_t(i)];
        }
    }
    return best;
}

const CNearestPaletteColor::SCellCandidates&
CNearestPaletteColor::CandidatesOf(int cell, int red, int green, int blue) {
    SCellCandidates& candidates = m_cells[size_t(cell)];
    if (candidates.first >= 0)
        return candidates;
    const int low[3] = {red & ~(kCellSide - 1), green & ~(kCellSide - 1), blue & ~(kCellSide - 1)};
    std::vector<int> nearest(m_palette.size());
    int bound = 1 << 30; // the smallest farthest-point distance of any entry
    for (size_t i = 0; i < m_palette.size(); ++i) {
        int near = 0;
        int far = 0;
        for (int c = 0; c < 3; ++c) {
            const int value = Channel(m_palette[i], c);
            near += NearestOnRange(value, low[c], low[c] + kCellSide - 1);
            far += FarthestOnRange(value, low[c], low[c] + kCellSide - 1);
        }
        nearest[i] = near;
        bound = std::min(bound, far);
    }
    candidates.first = int(m_candidates.size());
    for (size_t i = 0; i < m_palette.size(); ++i) {
        if (nearest[i] <= bound)
            m_candidates.push_back(int(i));
    }
    candidates.count = int(m_candidates.size()) - candidates.first;
    return candidates;
}
