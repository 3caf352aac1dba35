#pragma once

// A colour with straight (not premultiplied) components from 0 to 1.
struct UIColor {
    float red { 0 };
    float green { 0 };
    float blue { 0 };
    float alpha { 1 };
    bool operator==(const UIColor&) const = default;

    static UIColor blackColor() { return { 0, 0, 0, 1 }; }
    static UIColor whiteColor() { return { 1, 1, 1, 1 }; }
    static UIColor clearColor() { return { 0, 0, 0, 0 }; }
    static UIColor colorWithWhite(float white, float alpha) { return { white, white, white, alpha }; }
};
