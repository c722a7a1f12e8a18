#pragma once
// The strip at the top of a borderless window that moves it when dragged.

struct DragStrip {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool IsEmpty() const { return right <= left || bottom <= top; }
};

// x in [left, right), y in [top, bottom]: the bottom row still drags, as it always has.
inline bool InDragStrip(const DragStrip& strip, int x, int y) {
    return !strip.IsEmpty() && x >= strip.left && x < strip.right && y >= strip.top && y <= strip.bottom;
}
