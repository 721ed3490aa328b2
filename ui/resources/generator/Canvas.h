// A small anti-aliased vector canvas for drawing the program's icon, cursors and toolbar images:
// shapes are point tests sampled 8 x 8 times per pixel and painted over what is there.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Colour {
    float r, g, b, a;
};
constexpr Colour rgb(std::uint32_t hex, float alpha = 1.0f) {
    return {((hex >> 16) & 0xFF) / 255.0f, ((hex >> 8) & 0xFF) / 255.0f, (hex & 0xFF) / 255.0f, alpha};
}

struct Point {
    float x, y;
};
using Polygon = std::vector<Point>;
using Shape = std::function<bool(float x, float y)>;
using Paint = std::function<Colour(float x, float y)>;

// Shapes in pixel coordinates: pixel (i, j) covers [i, i + 1) x [j, j + 1).
Shape polygonShape(Polygon points);                                     // nonzero winding
Shape polylineShape(Polygon points, bool closed, float width);          // stroke with round joins
Shape rectShape(float x0, float y0, float x1, float y1);
Shape roundRectShape(float x0, float y0, float x1, float y1, float radius);
Shape discShape(float cx, float cy, float radius);
Shape ringShape(float cx, float cy, float radius, float width);
// Part of a ring between two angles in degrees (0 = right, counter-clockwise on screen).
Shape arcShape(float cx, float cy, float radius, float width, float fromDegrees, float toDegrees);
Shape segmentShape(float x0, float y0, float x1, float y1, float width);  // round caps
Shape unite(Shape a, Shape b);
Shape subtract(Shape a, Shape b);
Shape intersect(Shape a, Shape b);
// Every point within `distance` of the shape, found by sampling a small disc around the point.
Shape grow(Shape s, float distance);
// The points of the shape at least `distance` inside its edge.
Shape shrink(Shape s, float distance);
// The shape turned about (cx, cy) by `degrees` (clockwise on screen, as y grows downwards).
Shape rotateShape(Shape s, float cx, float cy, float degrees);

Polygon rotated(const Polygon& points, float cx, float cy, float degrees);
Polygon translated(const Polygon& points, float dx, float dy);
Polygon scaled(const Polygon& points, float factor);
// A triangle pointing at (tipX, tipY) from the direction of `degrees` (0 = pointing right).
Polygon arrowHead(float tipX, float tipY, float degrees, float length, float halfWidth);

class Canvas {
public:
    Canvas(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }

    void fill(const Shape& shape, Colour colour);
    void fill(const Shape& shape, const Paint& paint);
    // Covers the shape with the colour along a line from (x0, y0) to (x1, y1).
    void fillGradient(const Shape& shape, float x0, float y0, Colour c0, float x1, float y1, Colour c1);

    // Straight (not premultiplied) colour of a pixel.
    Colour pixel(int x, int y) const;
    void setPixel(int x, int y, Colour c);
    // Replaces every pixel's straight colour by f(colour).
    void mapPixels(const std::function<Colour(Colour)>& f);

private:
    int width_, height_;
    std::vector<Colour> pixels_;  // premultiplied
};
