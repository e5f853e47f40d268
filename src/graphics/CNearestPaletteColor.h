// Finds the palette entry closest to a colour, for mapping a picture onto a GIF palette.
#pragma once

#include <QRgb>
#include <vector>

class CNearestPaletteColor {
public:
    explicit CNearestPaletteColor(const std::vector<QRgb>& palette);

    // The index of the entry at the smallest squared RGB distance; the lowest index of equals.
    // -1 for an empty palette. Channels are 0..255.
    int Find(int red, int green, int blue);

private:
    // Where the candidates of a cell are kept in m_candidates.
    struct SCellCandidates {
        int first = -1; // -1: not worked out yet
        int count = 0;
    };

    const SCellCandidates& CandidatesOf(int cell, int red, int green, int blue);

    std::vector<QRgb> m_palette;
    std::vector<SCellCandidates> m_cells;
    std::vector<int> m_candidates;
};
