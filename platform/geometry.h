#pragma once
// Points and rectangles in pixels, shared by the window layer and the toolkit-free dialog
// arithmetic.

struct POINT {
    int x = 0;
    int y = 0;
    bool operator==(const POINT&) const = default;
};

// Right and bottom are exclusive, as the platform's RECT holds them.
struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const RECT&) const = default;
};
