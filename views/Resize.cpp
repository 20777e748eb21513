#include "Resize.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictoma {

namespace {

// Walks the output indices 0, 1, 2, ... of `newCount` and gives the source indices each one
// overlaps when `count` source pixels are spread over them: floor(i * count / newCount) to
// ceil((i + 1) * count / newCount) - 1. Keeps the quotient and the remainder instead of dividing
// for every pixel.
class SpanWalker {
public:
    struct Span {
        int first;
        int last;
    };

    SpanWalker(int count, int newCount)
        : step_(count / newCount), extra_(count % newCount), newCount_(newCount) {}

    Span Next() {
        const std::int64_t first = quotient_;
        quotient_ += step_;
        remainder_ += extra_;
        if (remainder_ >= newCount_) {
            ++quotient_;
            remainder_ -= newCount_;
        }
        return {int(first), int(quotient_ + (remainder_ != 0 ? 1 : 0) - 1)};
    }

private:
    std::int64_t step_, extra_, newCount_;
    std::int64_t quotient_ = 0, remainder_ = 0;
};

// Whether columns first..last (inclusive) are all set in `row`.
bool AllSet(const std::uint8_t* row, int first, int last) {
    const int c0 = mono::ByteColumnOf(first);
    const int c1 = mono::ByteColumnOf(last);
    if (c0 == c1) {
        const std::uint8_t mask = mono::FromColumn(first) & mono::ThroughColumn(last);
        return (row[c0] & mask) == mask;
    }
    if ((row[c0] & mono::FromColumn(first)) != mono::FromColumn(first)) return false;
    for (int c = c0 + 1; c < c1; ++c) {
        if (row[c] != 0xFF) return false;
    }
    return (row[c1] & mono::ThroughColumn(last)) == mono::ThroughColumn(last);
}

}  // namespace

Picture Resize(const Picture& source, Size newSize) {
    if (newSize.width < 1 || newSize.height < 1) return {};
    Picture out(newSize.width, newSize.height);

    const int width = source.width;
    const int bpr = width > 0 ? source.BytesPerRow() : 0;
    if (bpr == 0 || source.height <= 0) return out;
    const int rows = int(
        std::min<std::size_t>(std::size_t(source.height), source.bytes.size() / std::size_t(bpr)));

    // The AND of the source rows under one output row: a column of it is set exactly when the
    // column is black in all of them.
    std::vector<std::uint8_t> merged(std::size_t(bpr), 0);
    SpanWalker rowSpans(source.height, newSize.height);
    for (int y = 0; y < newSize.height; ++y) {
        const SpanWalker::Span down = rowSpans.Next();
        if (down.last >= rows) break;  // a missing row is white, and so is every row below it
        const std::uint8_t* row = source.bytes.data() + std::size_t(down.first) * bpr;
        if (down.first < down.last) {
            std::copy(row, row + bpr, merged.begin());
            for (int r = down.first + 1; r <= down.last; ++r) {
                const std::uint8_t* next = source.bytes.data() + std::size_t(r) * bpr;
                for (int c = 0; c < bpr; ++c) {
                    merged[c] &= next[c];
                }
            }
            row = merged.data();
        }
        SpanWalker columnSpans(width, newSize.width);
        for (int x = 0; x < newSize.width; ++x) {
            const SpanWalker::Span across = columnSpans.Next();
            if (AllSet(row, across.first, across.last)) {
                out.bytes[mono::IndexOf(x, y, newSize.width)] |= mono::MaskOf(x);
            }
        }
    }
    return out;
}

}  // namespace pictoma
