#include "toolkit/shape.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/render2d.h"
#include "engine/text.h"

void Shape::DrawRect(float x, float y, float w, float h, int fill, int thickness) {
    if (fill != 0) {
        ::DrawRect(x, y, w, h);
        return;
    }
    const float t = float(thickness);
    DrawRect(x - t, y - t, w + 2 * t, t, 1, 1);
    DrawRect(x - t, y - t, t, h + 2 * t, 1, 1);
    DrawRect(x + w, y - t, t, h + 2 * t, 1, 1);
    DrawRect(x - t, y + h, w + 2 * t, t, 1, 1);
}

void Shape::DrawOval(float x, float y, float w, float h, int fill) {
    if (fill != 0) {
        ::DrawOval(x, y, w, h);
        return;
    }
    const float rx = w * 0.5f, ry = h * 0.5f;
    const float cx = x + rx, cy = y + ry;
    int segments = std::max(12, Int(std::fabs(rx) + std::fabs(ry)));
    segments -= segments % 4;
    float px = cx + rx, py = cy;
    for (int i = 1; i <= segments; ++i) {
        double angle = double(i) * 360.0 / segments;
        float nx = cx + float(Cos(angle)) * rx, ny = cy - float(Sin(angle)) * ry;
        DrawLine(px, py, nx, ny, 1);
        px = nx;
        py = ny;
    }
}

void Shape::DrawCircle(float x, float y, float diameter, int fill) {
    DrawOval(x - diameter / 2, y - diameter / 2, diameter, diameter, fill);
}

void Shape::DrawDottedLine(float x1, float y1, float x2, float y2, float spacing, int dotSize) {
    DrawDot(x1, y1, dotSize);
    const float length = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
    // A line of no length, or shorter than half the spacing, is its first dot alone.
    if (!(spacing > 0) || !(length > 0)) return;
    const float steps = Round(length / spacing);
    if (!(steps >= 1) || steps > 1e6f) return;
    const int n = Int(steps);
    for (int i = 1; i <= n; ++i)
        DrawDot(x1 + float(i) * (x2 - x1) / float(n), y1 + float(i) * (y2 - y1) / float(n),
                dotSize);
}

void Shape::DrawDot(float x, float y, int size) {
    DrawRect(x - float(size / 2), y - float(size / 2), float(size), float(size), 1, 1);
}

float Shape::Round(float value) {
    float f = std::floor(value);
    return value - f < 0.5f ? f : f + 1;
}
