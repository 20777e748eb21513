#include "Drawing.h"

#include <algorithm>
#include <cstdlib>

namespace pictoma {

std::vector<PixelPoint> LinePixels(PixelPoint a, PixelPoint b) {
    std::vector<PixelPoint> points;
    const int dx = std::abs(b.x - a.x), sx = a.x < b.x ? 1 : -1;
    const int dy = -std::abs(b.y - a.y), sy = a.y < b.y ? 1 : -1;
    int err = dx + dy;
    points.reserve(std::size_t(std::max(dx, -dy)) + 1);
    for (PixelPoint p = a;;) {
        points.push_back(p);
        if (p == b) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.y += sy;
        }
    }
    return points;
}

std::vector<PixelPoint> RectanglePixels(PixelPoint a, PixelPoint b) {
    const int left = std::min(a.x, b.x), right = std::max(a.x, b.x);
    const int top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
    std::vector<PixelPoint> points;
    for (int x = left; x <= right; ++x) {
        points.push_back({x, top});
        if (bottom != top) points.push_back({x, bottom});
    }
    for (int y = top + 1; y < bottom; ++y) {
        points.push_back({left, y});
        if (right != left) points.push_back({right, y});
    }
    return points;
}

std::vector<PixelPoint> FillPixels(const Picture& picture, PixelPoint seed) {
    std::vector<PixelPoint> points;
    const int w = picture.width, h = picture.height;
    if (seed.x < 0 || seed.y < 0 || seed.x >= w || seed.y >= h) return points;
    const bool colour = picture.Black(seed.x, seed.y);
    std::vector<bool> seen(std::size_t(w) * std::size_t(h), false);
    std::vector<PixelPoint> stack = {seed};
    seen[std::size_t(seed.y) * std::size_t(w) + std::size_t(seed.x)] = true;
    while (!stack.empty()) {
        const PixelPoint p = stack.back();
        stack.pop_back();
        points.push_back(p);
        for (const PixelPoint n : {PixelPoint{p.x - 1, p.y}, PixelPoint{p.x + 1, p.y},
                                   PixelPoint{p.x, p.y - 1}, PixelPoint{p.x, p.y + 1}}) {
            if (n.x < 0 || n.y < 0 || n.x >= w || n.y >= h) continue;
            const std::size_t i = std::size_t(n.y) * std::size_t(w) + std::size_t(n.x);
            if (seen[i] || picture.Black(n.x, n.y) != colour) continue;
            seen[i] = true;
            stack.push_back(n);
        }
    }
    return points;
}

}  // namespace pictoma
