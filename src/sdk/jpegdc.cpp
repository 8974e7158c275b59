#include "sdk/jpegdc.h"

#include <algorithm>
#include <array>

namespace sdk::detail {

namespace {

// A Huffman table for DC differences: the codes up to eight bits through one look-up, the longer
// ones by their length (the canonical code of the JPEG standard).
struct HuffTable {
    bool defined = false;
    std::array<std::uint8_t, 256> fastLength{}; // 0: the code is longer than eight bits
    std::array<std::uint8_t, 256> fastValue{};
    std::array<std::int32_t, 18> maxCode{};     // by length; -1 where no code has that length
    std::array<std::int32_t, 17> valueOffset{};
    std::array<std::uint8_t, 256> values{};

    bool build(const std::uint8_t* counts, const std::uint8_t* symbols, int total)
    {
        std::copy(symbols, symbols + total, values.begin());
        fastLength.fill(0);
        int code = 0, k = 0;
        for (int length = 1; length <= 16; ++length) {
            const int n = counts[length - 1];
            valueOffset[std::size_t(length)] = k - code;
            for (int i = 0; i < n; ++i, ++k, ++code) {
                if (code >= (1 << length)) return false; // more codes than the length can hold
                if (length <= 8) {
                    const int shift = 8 - length;
                    for (int fill = 0; fill < (1 << shift); ++fill) {
                        fastLength[std::size_t((code << shift) | fill)] = std::uint8_t(length);
                        fastValue[std::size_t((code << shift) | fill)] = values[std::size_t(k)];
                    }
                }
            }
            maxCode[std::size_t(length)] = n ? code - 1 : -1;
            code <<= 1;
        }
        maxCode[17] = 0x7FFFFFFF; // past sixteen bits no code ends: the decoding fails there
        defined = true;
        return true;
    }
};

// The entropy-coded bits of one scan. Bytes are taken up to the next marker and no further; past
// it zeros come, as libjpeg supplies them, and counting them tells a scan that ran past its data.
class BitReader {
public:
    BitReader(const std::uint8_t* p, std::size_t end, std::size_t pos) : p_(p), end_(end), pos_(pos) {}

    std::size_t position() const { return pos_; }
    // True when the scan used zeros past its data.
    bool overrun() const { return padding_ > count_; }
    // Real bits still held: under eight after a scan or interval that ended cleanly.
    int heldBits() const { return count_ - std::min(padding_, count_); }

    int bits(int n)
    {
        if (n == 0) return 0;
        if (count_ < n) fill();
        count_ -= n;
        return int((buffer_ >> count_) & ((std::uint64_t(1) << n) - 1));
    }

    // A Huffman code; -1 for a code that no table holds.
    int decode(const HuffTable& t)
    {
        if (count_ < 16) fill();
        const int peek = int((buffer_ >> (count_ - 8)) & 0xFF);
        if (const int length = t.fastLength[std::size_t(peek)]) {
            count_ -= length;
            return t.fastValue[std::size_t(peek)];
        }
        int code = 0;
        for (int length = 1; length <= 16; ++length) {
            code = (code << 1) | bits(1);
            if (code <= t.maxCode[std::size_t(length)]) return t.values[std::size_t((t.valueOffset[std::size_t(length)] + code) & 0xFF)];
        }
        return -1;
    }

    // Drops what is held, for a restart marker or the scan's end.
    void reset()
    {
        buffer_ = 0;
        count_ = 0;
        padding_ = 0;
        atMarker_ = false;
    }
    void skip(std::size_t n) { pos_ += n; }

private:
    void fill()
    {
        while (count_ <= 56) {
            int byte = 0;
            if (!atMarker_ && pos_ < end_) {
                byte = p_[pos_];
                if (byte == 0xFF) {
                    std::size_t next = pos_ + 1;
                    while (next < end_ && p_[next] == 0xFF) ++next; // fill bytes
                    if (next < end_ && p_[next] == 0x00) {
                        pos_ = next + 1;
                    } else {
                        atMarker_ = true; // the marker stays where it is for the caller
                        pos_ = next - 1;
                        byte = 0;
                    }
                } else {
                    ++pos_;
                }
            } else {
                atMarker_ = true;
            }
            if (atMarker_) padding_ += 8;
            buffer_ = (buffer_ << 8) | std::uint64_t(byte);
            count_ += 8;
        }
    }

    const std::uint8_t* p_;
    std::size_t end_;
    std::size_t pos_;
    std::uint64_t buffer_ = 0;
    int count_ = 0;
    int padding_ = 0;
    bool atMarker_ = false;
};

struct Component {
    int id = 0;
    int quantTable = 0;
    int quant0 = -1;  // the table's first entry, taken at the component's first scan
    bool firstScan = false; // the first scan of its DC coefficients was read
    int nextAh = 0;         // the successive-approximation bit the next DC scan refines
    int pred = 0;
    std::vector<std::int32_t> dc;
};

// The value of a difference of s bits, as the standard extends it.
int extend(int value, int s) { return value < (1 << (s - 1)) ? value - (1 << s) + 1 : value; }

std::size_t skipEntropyData(const std::uint8_t* p, std::size_t n, std::size_t i)
{
    while (i + 1 < n && !(p[i] == 0xFF && p[i + 1] != 0x00 && !(p[i + 1] >= 0xD0 && p[i + 1] <= 0xD7))) ++i;
    return i + 1 < n ? i : n;
}

// The reader's walk over the stream's segments, with what the segments so far have defined.
class DcStream {
public:
    DcStream(const QByteArray& data, int maxScans)
        : p_(reinterpret_cast<const std::uint8_t*>(data.constData())), n_(std::size_t(data.size())), maxScans_(maxScans)
    {
        quant0_.fill(-1);
    }

    bool read(JpegDcSamples* out)
    {
        if (n_ < 4 || p_[0] != 0xFF || p_[1] != 0xD8) return false;
        std::size_t i = 2;
        while (true) {
            if (i + 1 >= n_ || p_[i] != 0xFF) return false;
            const int marker = p_[i + 1];
            if (marker == 0xFF) {
                ++i;
                continue;
            }
            if (marker == 0xD9) break;
            if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) return false; // stray markers
            if (i + 3 >= n_) return false;
            const std::size_t length = (std::size_t(p_[i + 2]) << 8) | p_[i + 3];
            if (length < 2 || i + 2 + length > n_) return false;
            if (!segment(marker, p_ + i + 4, length - 2, i + 2 + length, &i)) return false;
        }
        return framed_ && finish(out);
    }

private:
    // One segment, s its contents; *next is where the walk goes on.
    bool segment(int marker, const std::uint8_t* s, std::size_t size, std::size_t segmentEnd, std::size_t* next)
    {
        *next = segmentEnd;
        if (marker == 0xC2) return frame(s, size);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4) return false; // another kind of frame, or arithmetic coding
        if (marker == 0xDB) return quantTables(s, size);
        if (marker == 0xC4) return huffmanTables(s, size);
        if (marker == 0xDD) {
            if (size != 2) return false;
            restartInterval_ = (s[0] << 8) | s[1];
            return true;
        }
        if (marker == 0xDA) return scan(s, size, segmentEnd, next);
        return true;
    }

    bool frame(const std::uint8_t* s, std::size_t size)
    {
        if (framed_ || size < 6 || s[0] != 8) return false;
        height_ = (s[1] << 8) | s[2];
        width_ = (s[3] << 8) | s[4];
        const int count = s[5];
        if (width_ <= 0 || height_ <= 0 || (count != 1 && count != 3) || size != std::size_t(6 + 3 * count)) return false;
        for (int c = 0; c < count; ++c) {
            const std::uint8_t* d = s + 6 + 3 * c;
            if (d[1] != 0x11 || d[2] > 3) return false; // one block per MCU, one of four tables
            for (const Component& other : comps_)
                if (other.id == d[0]) return false;
            Component comp;
            comp.id = d[0];
            comp.quantTable = d[2];
            comps_.push_back(std::move(comp));
        }
        framed_ = true;
        return true;
    }

    bool quantTables(const std::uint8_t* s, std::size_t size)
    {
        if (scanned_) return false; // tables changed under scans already read
        std::size_t k = 0;
        while (k < size) {
            const int precision = s[k] >> 4, table = s[k] & 15;
            const std::size_t entries = precision ? 128 : 64;
            if (table > 3 || precision > 1 || k + 1 + entries > size) return false;
            quant0_[std::size_t(table)] = precision ? (s[k + 1] << 8) | s[k + 2] : s[k + 1];
            k += 1 + entries;
        }
        return true;
    }

    bool huffmanTables(const std::uint8_t* s, std::size_t size)
    {
        std::size_t k = 0;
        while (k < size) {
            if (k + 17 > size) return false;
            const int cls = s[k] >> 4, table = s[k] & 15;
            int total = 0;
            for (int l = 0; l < 16; ++l) total += s[k + 1 + std::size_t(l)];
            if (cls > 1 || table > 3 || total > 256 || k + 17 + std::size_t(total) > size) return false;
            if (cls == 0) {
                for (int v = 0; v < total; ++v)
                    if (s[k + 17 + std::size_t(v)] > 15) return false;
                if (!dcTables_[std::size_t(table)].build(s + k + 1, s + k + 17, total)) return false;
            }
            k += 17 + std::size_t(total);
        }
        return true;
    }

    // A scan's header; its DC coefficients are read, its AC coefficients skipped.
    bool scan(const std::uint8_t* s, std::size_t size, std::size_t segmentEnd, std::size_t* next)
    {
        if (!framed_ || size < 1) return false;
        if (++scans_ > maxScans_) return false;
        const int count = s[0];
        if (count < 1 || count > 4 || size != std::size_t(4 + 2 * count)) return false;
        std::vector<Component*> inScan;
        std::vector<const HuffTable*> tables;
        for (int c = 0; c < count; ++c) {
            const auto found = std::find_if(comps_.begin(), comps_.end(), [&](const Component& x) { return x.id == s[1 + 2 * c]; });
            if (found == comps_.end() || std::find(inScan.begin(), inScan.end(), &*found) != inScan.end()) return false;
            inScan.push_back(&*found);
            tables.push_back(&dcTables_[std::size_t(s[2 + 2 * c] >> 4 & 3)]);
        }
        const int ss = s[1 + 2 * count], se = s[2 + 2 * count];
        const int ah = s[3 + 2 * count] >> 4, al = s[3 + 2 * count] & 15;
        scanned_ = true;
        for (Component* c : inScan) {
            if (c->quant0 < 0) {
                c->quant0 = quant0_[std::size_t(c->quantTable)];
                if (c->quant0 <= 0 || c->quant0 > 32767) return false;
            }
        }
        if (ss != 0) {
            // The AC coefficients: not needed at one pixel a block.
            if (count != 1) return false;
            *next = skipEntropyData(p_, n_, segmentEnd);
            return true;
        }
        if (se != 0 || al > 13 || (ah != 0 && al != ah - 1)) return false;
        for (std::size_t c = 0; c < inScan.size(); ++c) {
            Component& comp = *inScan[c];
            // A scan out of the order the coefficients need.
            if (ah == 0 ? comp.firstScan : !comp.firstScan || comp.nextAh != ah) return false;
            if (ah == 0) {
                comp.firstScan = true;
                if (!tables[c]->defined) return false;
                comp.dc.assign(std::size_t(widthBlocks()) * std::size_t(heightBlocks()), 0);
            }
            comp.pred = 0;
            comp.nextAh = al;
        }
        return dcScanData(inScan, tables, ah, al, segmentEnd, next);
    }

    // The entropy-coded data of a DC scan, from `start` to the marker after it.
    bool dcScanData(const std::vector<Component*>& inScan, const std::vector<const HuffTable*>& tables, int ah, int al,
                    std::size_t start, std::size_t* next)
    {
        BitReader bits(p_, n_, start);
        const std::int64_t mcus = std::int64_t(widthBlocks()) * heightBlocks();
        int restartsSeen = 0;
        for (std::int64_t m = 0; m < mcus; ++m) {
            if (restartInterval_ > 0 && m > 0 && m % restartInterval_ == 0) {
                // The interval ends on its restart marker, the next in turn.
                if (bits.overrun() || bits.heldBits() >= 8) return false;
                const std::size_t at = bits.position();
                if (at + 1 >= n_ || p_[at] != 0xFF || p_[at + 1] != 0xD0 + (restartsSeen & 7)) return false;
                ++restartsSeen;
                bits.reset();
                bits.skip(2);
                for (Component* comp : inScan) comp->pred = 0;
            }
            for (std::size_t c = 0; c < inScan.size(); ++c) {
                Component& comp = *inScan[c];
                std::int32_t& coef = comp.dc[std::size_t(m)];
                if (ah == 0) {
                    const int size = bits.decode(*tables[c]);
                    if (size < 0 || size > 15) return false;
                    const int diff = size ? extend(bits.bits(size), size) : 0;
                    comp.pred += diff;
                    if (comp.pred > 32767 >> al || comp.pred < -(32768 >> al)) return false;
                    coef = comp.pred * (1 << al);
                } else if (bits.bits(1)) {
                    coef |= 1 << al;
                }
            }
        }
        if (bits.overrun() || bits.heldBits() >= 8) return false;
        *next = bits.position();
        return *next + 1 < n_ && p_[*next] == 0xFF; // else more data than the scan holds
    }

    bool finish(JpegDcSamples* out) const
    {
        out->widthBlocks = widthBlocks();
        out->heightBlocks = heightBlocks();
        out->planes.clear();
        for (const Component& comp : comps_) {
            if (!comp.firstScan || comp.nextAh != 0) return false; // a DC coefficient never read, or not to its last bit
            std::vector<std::uint8_t> plane(comp.dc.size());
            for (std::size_t k = 0; k < plane.size(); ++k) {
                // libjpeg's 1x1 inverse DCT: rounded to an eighth and range-limited through its
                // table, which wraps at 1024.
                const int value = (comp.dc[k] * comp.quant0 + 4) >> 3;
                const int wrapped = ((value & 1023) ^ 512) - 512;
                plane[k] = std::uint8_t(std::clamp(wrapped + 128, 0, 255));
            }
            out->planes.push_back(std::move(plane));
        }
        return true;
    }

    int widthBlocks() const { return (width_ + 7) / 8; }
    int heightBlocks() const { return (height_ + 7) / 8; }

    const std::uint8_t* p_;
    std::size_t n_;
    int maxScans_;
    std::array<int, 4> quant0_;
    std::array<HuffTable, 4> dcTables_;
    std::vector<Component> comps_;
    int width_ = 0, height_ = 0, restartInterval_ = 0, scans_ = 0;
    bool framed_ = false, scanned_ = false;
};

} // namespace

bool readJpegDcSamples(const QByteArray& data, int maxScans, JpegDcSamples* out)
{
    return DcStream(data, maxScans).read(out);
}

} // namespace sdk::detail
