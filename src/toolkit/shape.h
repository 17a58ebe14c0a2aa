#pragma once
// Simple figures on top of the drawing primitives: filled or framed rectangles, ovals and circles,
// dotted lines made of square dots.

class Shape {
  public:
    // Filled, or (fill 0) a frame of the given thickness laid outside the box.
    static void DrawRect(float x, float y, float w, float h, int fill, int thickness);
    // The oval inscribed in the box; outlined with line segments when fill is 0.
    static void DrawOval(float x, float y, float w, float h, int fill);
    // Centred on (x, y).
    static void DrawCircle(float x, float y, float diameter, int fill);
    // Dots spread evenly from one end to the other, close to the requested spacing.
    static void DrawDottedLine(float x1, float y1, float x2, float y2, float spacing, int dotSize);
    // A filled size x size square centred on (x, y).
    static void DrawDot(float x, float y, int size);
    // Nearest whole number, halves upward.
    static float Round(float value);
};
