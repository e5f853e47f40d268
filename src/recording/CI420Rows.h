#pragma once
// The rows of the screen's 32-bit pixels (blue in the low byte) turned into the encoder's I420
// in integer BT.601, limited range: one luma row, or one chroma row from two pixel rows. Every
// way of computing gives the same bytes; the vector one runs where the processor has AVX2.
#include <cstdint>

class CI420Rows {
public:
    static void Luma(const std::uint32_t* source, std::uint8_t* target, int width);
    // Each chroma sample from the sum of its 2 x 2 pixels; `pairs` whole pairs of columns.
    static void Chroma(const std::uint32_t* row0, const std::uint32_t* row1, std::uint8_t* u,
                       std::uint8_t* v, int pairs);

    // One pixel at a time: the reference the faster way is held to.
    static void LumaPlain(const std::uint32_t* source, std::uint8_t* target, int width);
    static void ChromaPlain(const std::uint32_t* row0, const std::uint32_t* row1, std::uint8_t* u,
                            std::uint8_t* v, int pairs);
    // Whether Luma and Chroma run the vector code on this processor.
    static bool UsesVectors();
};
