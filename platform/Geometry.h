#pragma once

// Points, sizes and rectangles in 32-bit float points, as the platform's graphics types are.

struct CGPoint {
    float x { 0 };
    float y { 0 };
    bool operator==(const CGPoint&) const = default;
};

struct CGSize {
    float width { 0 };
    float height { 0 };
    bool operator==(const CGSize&) const = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;

    float minX() const { return origin.x; }
    float minY() const { return origin.y; }
    float maxX() const { return origin.x + size.width; }
    float maxY() const { return origin.y + size.height; }
};

inline constexpr CGPoint CGPointZero {};
inline constexpr CGRect CGRectZero {};

inline CGPoint CGPointMake(float x, float y) { return { x, y }; }
inline CGSize CGSizeMake(float width, float height) { return { width, height }; }
inline CGRect CGRectMake(float x, float y, float width, float height) { return { { x, y }, { width, height } }; }

// Moves each edge inwards by dx horizontally and dy vertically; negative values grow the rectangle.
inline CGRect CGRectInset(CGRect rect, float dx, float dy)
{
    return CGRectMake(rect.origin.x + dx, rect.origin.y + dy, rect.size.width - 2 * dx, rect.size.height - 2 * dy);
}

// Edges count as inside on the minimum side only, as the platform's hit testing does.
inline bool CGRectContainsPoint(CGRect rect, CGPoint point)
{
    return point.x >= rect.minX() && point.x < rect.maxX() && point.y >= rect.minY() && point.y < rect.maxY();
}
