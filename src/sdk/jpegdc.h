#pragma once
// The DC scans of a progressive JPEG read without libjpeg's whole-image coefficient buffer: a
// picture whose components all have one block per MCU, wanted at an eighth of its size, is one
// pixel a block, and that pixel is its block's DC coefficient alone. libjpeg would allocate and
// clear 128 bytes for every block of every component first; this holds one sample a block.
#include <QByteArray>

#include <cstdint>
#include <vector>

namespace sdk::detail {

struct JpegDcSamples {
    int widthBlocks = 0;
    int heightBlocks = 0;
    // One plane a component in frame order, widthBlocks x heightBlocks samples each: the block's
    // DC coefficient dequantised, divided by eight and range-limited, as libjpeg's 1x1 inverse DCT
    // gives it.
    std::vector<std::vector<std::uint8_t>> planes;
};

// Reads the samples of a progressive (Huffman-coded, 8-bit) JPEG whose components all have
// sampling factors 1x1. False when the stream is not such a stream or is not laid out cleanly
// (an unexpected marker, a damaged scan, restart markers out of order, tables changed between
// scans): the caller then decodes it through libjpeg, which has its own ways with such files.
bool readJpegDcSamples(const QByteArray& data, int maxScans, JpegDcSamples* out);

} // namespace sdk::detail
