#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSamples = 8;
constexpr float kPi = 3.14159265358979f;

float distanceToSegment(float px, float py, Point a, Point b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    const float qx = a.x + t * dx - px, qy = a.y + t * dy - py;
    return std::sqrt(qx * qx + qy * qy);
}

}  // namespace

Shape polygonShape(Polygon points) {
    return [points = std::move(points)](float x, float y) {
        int winding = 0;
        const std::size_t n = points.size();
        for (std::size_t i = 0; i < n; ++i) {
            const Point a = points[i], b = points[(i + 1) % n];
            if (a.y <= y) {
                if (b.y > y && (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y) > 0) ++winding;
            } else if (b.y <= y && (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y) < 0) {
                --winding;
            }
        }
        return winding != 0;
    };
}

Shape polylineShape(Polygon points, bool closed, float width) {
    return [points = std::move(points), closed, half = width / 2](float x, float y) {
        const std::size_t n = points.size();
        const std::size_t segments = closed ? n : n - 1;
        for (std::size_t i = 0; i < segments; ++i)
            if (distanceToSegment(x, y, points[i], points[(i + 1) % n]) <= half) return true;
        return false;
    };
}

Shape rectShape(float x0, float y0, float x1, float y1) {
    return [=](float x, float y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}

Shape roundRectShape(float x0, float y0, float x1, float y1, float radius) {
    return [=](float x, float y) {
        if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
        const float cx = std::clamp(x, x0 + radius, x1 - radius);
        const float cy = std::clamp(y, y0 + radius, y1 - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

Shape discShape(float cx, float cy, float radius) {
    return [=](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; };
}

Shape ringShape(float cx, float cy, float radius, float width) {
    return [=](float x, float y) {
        const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
        return std::fabs(d - radius) <= width / 2;
    };
}

Shape arcShape(float cx, float cy, float radius, float width, float fromDegrees, float toDegrees) {
    return [=](float x, float y) {
        const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
        if (std::fabs(d - radius) > width / 2) return false;
        float angle = std::atan2(cy - y, x - cx) * 180.0f / kPi;  // screen y grows downwards
        while (angle < fromDegrees) angle += 360.0f;
        while (angle >= fromDegrees + 360.0f) angle -= 360.0f;
        return angle <= toDegrees;
    };
}

Shape segmentShape(float x0, float y0, float x1, float y1, float width) {
    return [=](float x, float y) { return distanceToSegment(x, y, {x0, y0}, {x1, y1}) <= width / 2; };
}

Shape unite(Shape a, Shape b) {
    return [a = std::move(a), b = std::move(b)](float x, float y) { return a(x, y) || b(x, y); };
}
Shape subtract(Shape a, Shape b) {
    return [a = std::move(a), b = std::move(b)](float x, float y) { return a(x, y) && !b(x, y); };
}
Shape intersect(Shape a, Shape b) {
    return [a = std::move(a), b = std::move(b)](float x, float y) { return a(x, y) && b(x, y); };
}

Shape grow(Shape s, float distance) {
    return [s = std::move(s), distance](float x, float y) {
        if (s(x, y)) return true;
        constexpr int kDirections = 16;
        for (float r : {distance * 0.5f, distance}) {
            for (int k = 0; k < kDirections; ++k) {
                const float a = 2 * kPi * k / kDirections;
                if (s(x + r * std::cos(a), y + r * std::sin(a))) return true;
            }
        }
        return false;
    };
}

Shape shrink(Shape s, float distance) {
    Shape outside = [s](float x, float y) { return !s(x, y); };
    return [s, edge = grow(outside, distance)](float x, float y) { return s(x, y) && !edge(x, y); };
}

Shape rotateShape(Shape s, float cx, float cy, float degrees) {
    const float a = -degrees * kPi / 180.0f, c = std::cos(a), si = std::sin(a);
    return [=](float x, float y) {
        const float dx = x - cx, dy = y - cy;
        return s(cx + dx * c - dy * si, cy + dx * si + dy * c);
    };
}

Polygon rotated(const Polygon& points, float cx, float cy, float degrees) {
    const float a = degrees * kPi / 180.0f, c = std::cos(a), s = std::sin(a);
    Polygon out;
    for (Point p : points) {
        const float dx = p.x - cx, dy = p.y - cy;
        out.push_back({cx + dx * c - dy * s, cy + dx * s + dy * c});
    }
    return out;
}

Polygon translated(const Polygon& points, float dx, float dy) {
    Polygon out;
    for (Point p : points) out.push_back({p.x + dx, p.y + dy});
    return out;
}

Polygon scaled(const Polygon& points, float factor) {
    Polygon out;
    for (Point p : points) out.push_back({p.x * factor, p.y * factor});
    return out;
}

Polygon arrowHead(float tipX, float tipY, float degrees, float length, float halfWidth) {
    const Polygon base = {{tipX, tipY}, {tipX - length, tipY - halfWidth}, {tipX - length, tipY + halfWidth}};
    return rotated(base, tipX, tipY, degrees);
}

Canvas::Canvas(int width, int height) : width_(width), height_(height), pixels_(width * height, Colour{0, 0, 0, 0}) {}

void Canvas::fill(const Shape& shape, Colour colour) {
    fill(shape, [colour](float, float) { return colour; });
}

void Canvas::fill(const Shape& shape, const Paint& paint) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float px = x + (sx + 0.5f) / kSamples, py = y + (sy + 0.5f) / kSamples;
                    if (!shape(px, py)) continue;
                    const Colour c = paint(px, py);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            constexpr float n = kSamples * kSamples;
            r /= n, g /= n, b /= n, a /= n;
            Colour& d = pixels_[y * width_ + x];
            d.r = r + d.r * (1 - a);
            d.g = g + d.g * (1 - a);
            d.b = b + d.b * (1 - a);
            d.a = a + d.a * (1 - a);
        }
    }
}

void Canvas::fillGradient(const Shape& shape, float x0, float y0, Colour c0, float x1, float y1, Colour c1) {
    const float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    fill(shape, [=](float x, float y) {
        const float t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0f, 1.0f) : 0.0f;
        return Colour{c0.r + (c1.r - c0.r) * t, c0.g + (c1.g - c0.g) * t, c0.b + (c1.b - c0.b) * t,
                      c0.a + (c1.a - c0.a) * t};
    });
}

Colour Canvas::pixel(int x, int y) const {
    const Colour p = pixels_[y * width_ + x];
    if (p.a <= 0) return {0, 0, 0, 0};
    return {p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

void Canvas::setPixel(int x, int y, Colour c) { pixels_[y * width_ + x] = {c.r * c.a, c.g * c.a, c.b * c.a, c.a}; }

void Canvas::mapPixels(const std::function<Colour(Colour)>& f) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) setPixel(x, y, f(pixel(x, y)));
}
