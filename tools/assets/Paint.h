#pragma once

// The drawing primitives every picture is made of: colours, gradients, discs, rounded
// rectangles, ridges and mountain ranges.

#include <cairo.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <numbers>

namespace assets {

constexpr double pi = std::numbers::pi;

struct PatternDeleter {
    void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
using Pattern = std::unique_ptr<cairo_pattern_t, PatternDeleter>;

struct Rgb {
    double r { 0 };
    double g { 0 };
    double b { 0 };
};

constexpr Rgb hex(std::uint32_t value)
{
    return { ((value >> 16) & 0xff) / 255.0, ((value >> 8) & 0xff) / 255.0, (value & 0xff) / 255.0 };
}

void setColour(cairo_t*, Rgb, double alpha = 1);

struct Stop {
    double offset { 0 };
    Rgb colour;
    double alpha { 1 };
};

void addStops(cairo_pattern_t*, std::initializer_list<Stop>);

// Fills the rectangle with a gradient running from its top edge to its bottom edge.
void fillVertical(cairo_t*, double x, double y, double w, double h, std::initializer_list<Stop>);

// A soft halo around a bright disc (sun, moon, lamp).
void fillGlow(cairo_t*, double cx, double cy, double radius, double reach, Rgb, double alpha);

void fillDisc(cairo_t*, double cx, double cy, double radius, Rgb, double alpha = 1);

void addRoundedRect(cairo_t*, double x, double y, double w, double h, double r);

// A ridge made of two sines, filled down to the bottom edge.
void fillRidge(cairo_t*, double w, double h, double base, double amplitude, double waves, double phase, Rgb);

struct Point {
    double x { 0 };
    double y { 0 };
};

// Peaks are fractions of the picture; the range is closed along the bottom edge.
void addRange(cairo_t*, double w, double h, std::initializer_list<Point> peaks);

}
