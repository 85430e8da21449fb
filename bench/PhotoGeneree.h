#pragma once
// The photo-like pictures the benchmarks encode, so that every bench measures the same kind
// of content.

#include <QImage>
#include <QtGlobal>

#include <cmath>

// A picture with the statistics of a photograph as far as a JPEG coder sees them: broad smooth
// shading, some edges, and sensor-like noise.
inline QImage Photo(int w, int h, quint32 nGraine)
{
    QImage Image(w, h, QImage::Format_RGB32);
    quint32 s = nGraine * 2654435761u + 1;
    for (int y = 0; y < h; ++y) {
        auto *p = reinterpret_cast<QRgb *>(Image.scanLine(y));
        const double fy = double(y) / h;
        for (int x = 0; x < w; ++x) {
            s ^= s << 13;
            s ^= s >> 17;
            s ^= s << 5;
            const int n = int(s & 15) - 8;
            const double fx = double(x) / w;
            const double v = 0.5 + 0.5 * std::sin(6.0 * fx + 3.0 * fy + nGraine);
            const bool lBord = ((x / 97) + (y / 131)) % 5 == 0;
            const int r = qBound(0, int(255 * (0.3 + 0.6 * fx * v)) + n + (lBord ? 40 : 0), 255);
            const int g = qBound(0, int(255 * (0.2 + 0.6 * fy)) + n, 255);
            const int b = qBound(0, int(255 * (0.7 - 0.5 * v)) + n, 255);
            p[x] = qRgb(r, g, b);
        }
    }
    return Image;
}
