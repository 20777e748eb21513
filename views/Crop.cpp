#include "Crop.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace pictoma {

std::optional<CropCut> CropCutOf(Size picture, PicturePoint a, PicturePoint b) {
    const int bpr = mono::BytesPerRow(std::max(picture.width, 0));
    const int height = std::max(picture.height, 0);
    if (bpr == 0 || height == 0) return std::nullopt;

    // Keeping the corners within [0, 8 * bpr] across and [0, height] down changes no cut (the far
    // ends are limited below anyway) and keeps the arithmetic small.
    const auto across = [&](int x) { return std::clamp(x, 0, mono::FirstColumnOf(bpr)); };
    const auto down = [&](int y) { return std::clamp(y, 0, height); };
    const int ax = across(a.x), bx = across(b.x), ay = down(a.y), by = down(b.y);
    const int left = std::min(ax, bx), right = std::max(ax, bx);
    const int top = std::min(ay, by), bottom = std::max(ay, by);

    CropCut cut;
    cut.firstByteColumn = mono::ByteColumnOf(left);
    // The right corner's column plus 7: a selection whose right edge falls inside a byte column
    // still takes that whole column, so the cut can be one byte column wider than the selection.
    cut.lastByteColumn = std::min(mono::ByteColumnOf(right + 7), bpr - 1);
    cut.firstRow = top;
    cut.lastRow = std::min(bottom, height - 1);
    if (cut.firstByteColumn > cut.lastByteColumn || cut.firstRow > cut.lastRow) return std::nullopt;
    return cut;
}

bool Crop(Picture& picture, PicturePoint a, PicturePoint b) {
    const int bpr = picture.BytesPerRow();
    if (bpr <= 0) return false;
    const int rows = int(std::min<std::size_t>(std::size_t(std::max(picture.height, 0)),
                                               picture.bytes.size() / std::size_t(bpr)));
    const std::optional<CropCut> cut = CropCutOf({picture.width, rows}, a, b);
    if (!cut) return false;

    // In place: each kept row moves to an earlier or the same place, so no second picture is
    // needed (a cut of a 64 MiB picture must not take another 64 MiB).
    const Size size = cut->CutSize();
    const int keptBytes = cut->lastByteColumn - cut->firstByteColumn + 1;
    std::uint8_t* const data = picture.bytes.data();
    for (int row = cut->firstRow; row <= cut->lastRow; ++row) {
        std::memmove(data + std::size_t(row - cut->firstRow) * std::size_t(keptBytes),
                     data + std::size_t(row) * std::size_t(bpr) + std::size_t(cut->firstByteColumn),
                     std::size_t(keptBytes));
    }
    picture.bytes.resize(mono::ByteCount(size.width, size.height));
    // Give back the memory of a large picture cut small (the copy is small then).
    if (picture.bytes.capacity() > 2 * picture.bytes.size() + 4096) picture.bytes.shrink_to_fit();
    picture.width = size.width;
    picture.height = size.height;
    return true;
}

}  // namespace pictoma
