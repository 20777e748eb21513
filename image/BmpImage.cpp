#include "BmpImage.h"

#include "RowKernels.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pictoma {

namespace {

std::uint16_t U16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

bool SupportedBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Bytes of pixel data in one stored row (without padding).
std::int64_t RowDataBytes(int bits, std::int64_t width) {
    switch (bits) {
        case 1:
            return mono::BytesPerRow(int(width));
        case 4:
            return (width + 1) / 2;
        default:
            return width * (bits / 8);
    }
}

// Pixels of a row whose data lies wholly inside the first `got` bytes.
int PixelsIn(int bits, std::size_t got, int width) {
    std::int64_t n;
    switch (bits) {
        case 1:
            n = std::int64_t(got) * 8;
            break;
        case 4:
            n = std::int64_t(got) * 2;
            break;
        default:
            n = std::int64_t(got) / (bits / 8);
            break;
    }
    return n < width ? int(n) : width;
}

}  // namespace

CBmpImage::~CBmpImage() {
    m_file.Close();
}

void CBmpImage::PaintPixel(int x, int y, int rowBytes) {
    if (x < 1 || y < 1 || rowBytes < 1 || mono::ByteColumnOf(x - 1) >= rowBytes) return;
    const std::size_t index =
        std::size_t(y - 1) * std::size_t(rowBytes) + std::size_t(mono::ByteColumnOf(x - 1));
    if (index < m_bits.size()) m_bits[index] |= mono::MaskOf(x - 1);
}

bool CBmpImage::HasPicture() const {
    return !m_bits.empty() && m_bits.size() == mono::ByteCount(m_nWidth, m_nHeight);
}

Picture CBmpImage::GetPicture() const {
    return HasPicture() ? Picture(m_nWidth, m_nHeight, m_bits) : Picture();
}

Picture CBmpImage::TakePicture() {
    if (!HasPicture()) return {};
    Picture p(m_nWidth, m_nHeight, std::move(m_bits));
    m_bits.clear();
    return p;
}

Status CBmpImage::Refuse(std::string text) {
    m_file.Close();
    return Status::Failure(std::move(text));
}

Status CBmpImage::Load() {
    if (Status s = ReadHeader(); !s) return s;
    Convert();
    return {};
}

Status CBmpImage::LoadFromMemory(std::span<const std::uint8_t> data) {
    if (Status s = CheckMemory(data); !s) return s;
    Convert();
    return {};
}

Status CBmpImage::CheckMemory(std::span<const std::uint8_t> data) {
    m_file.OpenMemory(data.data(), data.size());
    return CheckHeader();
}

Status CBmpImage::ReadHeader() {
    if (std::string problem = m_file.Open(m_strFileName); !problem.empty())
        return Status::Failure(std::move(problem));
    return CheckHeader();
}

Status CBmpImage::CheckHeader() {
    std::uint8_t fh[14] = {};
    std::size_t n = m_file.Read(fh, sizeof fh);
    if (n < 2 || fh[0] != 'B' || fh[1] != 'M') return Refuse(kNotABitmap);
    std::uint8_t ih[40] = {};
    const std::size_t infoRead = n < sizeof fh ? 0 : m_file.Read(ih, sizeof ih);
    const char* cutShort = "The bitmap file is cut short: its headers are incomplete";
    if (infoRead < 4) return Refuse(cutShort);

    const std::uint32_t fileSize = U32(fh + 2);
    const std::uint32_t offBits = U32(fh + 10);
    const std::uint32_t infoSize = U32(ih + 0);
    const std::int32_t width = std::int32_t(U32(ih + 4));
    const std::int32_t height = std::int32_t(U32(ih + 8));
    const std::uint16_t bitCount = U16(ih + 14);
    const std::uint32_t compression = U32(ih + 16);
    const std::uint32_t clrUsed = U32(ih + 32);
    const std::uint32_t clrImportant = U32(ih + 36);

    char text[160];
    if (infoSize < 40) {
        // An older header (12 bytes and the like) lays its fields out differently: reading it as
        // the 40-byte header would take colours for sizes.
        std::snprintf(text, sizeof text,
                      "Can't deal with this kind of bitmap: its info header has %u bytes, "
                      "at least 40 are needed",
                      unsigned(infoSize));
        return Refuse(text);
    }
    if (infoRead < sizeof ih) return Refuse(cutShort);
    if (compression != 0) return Refuse(kCompressed);
    if (!SupportedBitCount(bitCount)) {
        std::snprintf(text, sizeof text, "Can't deal with %u bits per pixel", unsigned(bitCount));
        return Refuse(text);
    }
    const std::int64_t absHeight = height < 0 ? -std::int64_t(height) : std::int64_t(height);
    if (width <= 0 || height == 0) {
        std::snprintf(text, sizeof text, "The bitmap has no usable size (%d x %d pixels)",
                      int(width), int(height));
        return Refuse(text);
    }
    if (width > kMaxSide || absHeight > kMaxSide) {
        std::snprintf(text, sizeof text,
                      "The bitmap is too large to open (%d x %lld pixels): a side may have at "
                      "most %d pixels",
                      int(width), static_cast<long long>(absHeight), kMaxSide);
        return Refuse(text);
    }
    if (mono::ByteCount(width, int(absHeight)) > kMaxPictureBytes) {
        std::snprintf(text, sizeof text,
                      "The bitmap is too large to open (%d x %lld pixels): its black-and-white "
                      "picture would take %zu MiB, at most %zu MiB are allowed",
                      int(width), static_cast<long long>(absHeight),
                      (mono::ByteCount(width, int(absHeight)) + (1u << 20) - 1) >> 20,
                      kMaxPictureBytes >> 20);
        return Refuse(text);
    }

    // Rows are padded to a multiple of 4 bytes, the format's own rule, unless the pixel data takes
    // exactly the unpadded rows (a writer that leaves the padding out). The file size cannot tell
    // more than that: writers put colour profiles after the pixels and get the size wrong.
    const std::int64_t rowData = RowDataBytes(bitCount, width);
    const bool unpadded = std::int64_t(fileSize) - std::int64_t(offBits) == absHeight * rowData;
    const std::int64_t padding = unpadded ? 0 : (rowData + 3) / 4 * 4 - rowData;

    m_dwOffBits = offBits;
    m_dwInfoSize = infoSize;
    m_nWidth = width;
    m_nHeight = int(absHeight);
    m_bTopDown = height < 0;
    m_wBitCount = bitCount;
    m_dwCompression = 0;
    m_nColors = clrUsed != 0 ? clrUsed : (bitCount < 32 ? 1u << bitCount : 0xFFFFFFFFu);
    m_nImportantColors = clrImportant;
    m_nRowPadding = padding;
    return {};
}

void CBmpImage::Convert() {
    // The previous picture's memory is reused (a threshold step converts the same size again);
    // memory much larger than needed is given back. Each byte is written once: rows are appended
    // as they are decided, so nothing is zeroed first and then overwritten.
    const std::size_t size = mono::ByteCount(m_nWidth, m_nHeight);
    const auto bpr = std::size_t(mono::BytesPerRow(m_nWidth));
    std::vector<std::uint8_t>& picture = m_bits;
    if (picture.capacity() > 2 * size) picture = std::vector<std::uint8_t>();
    picture.clear();
    picture.reserve(size);
    PrepareForWriting(picture.data(), picture.capacity());
    ConvertRows([&](const std::uint8_t* row) { picture.insert(picture.end(), row, row + bpr); });
}

void CBmpImage::ConvertRows(const std::function<void(const std::uint8_t* row)>& sink) {
    const int width = m_nWidth;
    const int height = m_nHeight;
    const int bits = m_wBitCount;
    const int bpr = mono::BytesPerRow(width);
    const rows::RowKernels& kernels = rows::KernelsFor(ActiveConvertPath());
    const ThresholdRule rule(m_nThreshold);

    // Which palette indices are black. Indices without an entry in the file are white.
    rows::PaletteRule palette;
    if (bits == 4 || bits == 8) {
        const std::uint32_t wanted = m_nColors < (1u << bits) ? m_nColors : (1u << bits);
        std::uint8_t pal[256 * 4];
        m_file.Seek(14 + std::uint64_t(m_dwInfoSize));
        const std::size_t entries = m_file.Read(pal, wanted * 4) / 4;
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = pal + 4 * i;
            palette.black[i] = Brightness(e[2], e[1], e[0]) <= m_nThreshold;
        }
        palette.MakeBits();
    }
    // Two 4-bit pixels of one byte as two decision bits, left pixel in the high bit.
    std::array<std::uint8_t, 256> blackPair{};
    if (bits == 4) {
        for (int b = 0; b < 256; ++b)
            blackPair[b] = std::uint8_t(palette.black[b >> 4] << 1 | palette.black[b & 15]);
    }
    std::vector<std::uint8_t> black555;
    if (bits == 16) {
        black555.resize(32768);
        for (int w = 0; w < 32768; ++w)
            black555[w] = Brightness555(std::uint16_t(w)) <= m_nThreshold;
    }

    // Rows go out top row first, so bottom-up files are walked from their last stored row back to
    // their first. A row that the file does not hold, or holds in part, is white from where its
    // data ends.
    const std::size_t rowData = std::size_t(RowDataBytes(bits, width));
    const std::uint64_t stride = rowData + std::uint64_t(m_nRowPadding);
    const std::uint64_t first = m_dwOffBits;
    const std::uint64_t last = first + stride * std::uint64_t(height);
    m_file.WillRead(first, last, !m_bTopDown);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(bpr));
    for (int y = 0; y < height; ++y) {
        const std::uint64_t at = first + stride * std::uint64_t(m_bTopDown ? y : height - 1 - y);
        std::size_t got = 0;
        const std::uint8_t* src = m_file.At(at, rowData, &got);
        const int n = PixelsIn(bits, got, width);
        std::uint8_t* dst = row.data();
        switch (bits) {
            case 1:
                kernels.mono1(src, n, dst);
                break;
            case 4: {
                const int full = mono::FullBytes(n);
                for (int k = 0; k < full; ++k) {
                    const std::uint8_t* s = src + 4 * k;
                    dst[k] = std::uint8_t(blackPair[s[0]] << 6 | blackPair[s[1]] << 4 |
                                          blackPair[s[2]] << 2 | blackPair[s[3]]);
                }
                if (mono::LeftoverPixels(n)) {
                    const int from = mono::FirstColumnOf(full);
                    mono::PackRow(dst + full, n - from, [&](int i) {
                        const int x = from + i;
                        const int nibble = (x & 1) ? src[x >> 1] & 15 : src[x >> 1] >> 4;
                        return palette.black[nibble] != 0;
                    });
                }
                break;
            }
            case 8:
                kernels.index8(src, n, dst, palette);
                break;
            case 16:
                mono::PackRow(dst, n,
                              [&](int x) { return black555[U16(src + 2 * x) & 0x7FFF] != 0; });
                break;
            case 24:
                kernels.rgb24(src, n, dst, rule);
                break;
            case 32:
                kernels.rgb32(src, n, dst, rule);
                break;
            default:
                break;
        }
        const int written = mono::BytesPerRow(n);
        std::memset(dst + written, 0, std::size_t(bpr - written));
        sink(dst);
    }
    m_file.Close();
}

}  // namespace pictoma
