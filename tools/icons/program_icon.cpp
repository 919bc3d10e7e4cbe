// The program's icon: a sheet of vellum with a folded corner and a branch
// mark (a trunk with two commits and a side branch). Drawn from shapes in
// unit coordinates with 8x8 samples per pixel, so one drawing serves the large
// sizes; edges lie on sixteenths so they fall between pixels at 32 and 48.
// At 16 pixels shapes would blur, so that size is drawn pixel by pixel.
#include "icons/program_icon.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace icons {

namespace {

using Inside = std::function<bool(double x, double y)>;  // unit coordinates

struct Point {
    double x, y;
};

double SegmentDistance(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Straight-alpha "over" of one colour with the given coverage.
uint32_t Over(uint32_t under, uint32_t colour, double coverage) {
    const double a = coverage * ((colour >> 24) / 255.0);
    const double ua = (under >> 24) / 255.0;
    const double oa = a + ua * (1 - a);
    if (oa <= 0) return 0;
    uint32_t out = uint32_t(std::lround(oa * 255)) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double c = ((colour >> shift) & 0xFF) * a + ((under >> shift) & 0xFF) * ua * (1 - a);
        out |= uint32_t(std::lround(std::clamp(c / oa, 0.0, 255.0))) << shift;
    }
    return out;
}

void Paint(Image& image, const Inside& inside, uint32_t colour) {
    constexpr int kSamples = 8;
    const double n = image.w;
    for (int py = 0; py < image.h; ++py) {
        for (int px = 0; px < image.w; ++px) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = (px + (sx + 0.5) / kSamples) / n;
                    const double y = (py + (sy + 0.5) / kSamples) / n;
                    hits += inside(x, y);
                }
            }
            if (hits)
                image.at(px, py) =
                    Over(image.at(px, py), colour, hits / double(kSamples * kSamples));
        }
    }
}

// The sheet's frame and the size of its folded corner; the fold's crease is
// the line x - y = kCut.
constexpr double kLeft = 0.125, kTop = 0.0625, kRight = 0.875, kBottom = 0.9375, kFold = 0.25;
constexpr double kCut = kRight - kFold - kTop;

// The sheet shrunk by `inset`: a rounded rectangle with its top-right corner
// cut along the crease.
Inside Sheet(double inset) {
    return [inset](double x, double y) {
        const double x0 = kLeft + inset, y0 = kTop + inset, x1 = kRight - inset,
                     y1 = kBottom - inset;
        const double r = std::max(0.07 - inset, 0.0);
        if (x < x0 || x > x1 || y < y0 || y > y1) return false;
        const double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
        if (std::hypot(x - cx, y - cy) > r) return false;
        return x - y <= kCut - inset * std::sqrt(2.0);
    };
}

// The folded-down corner: a triangle under the crease.
Inside Fold(double inset) {
    return [inset](double x, double y) {
        return x >= kRight - kFold + inset && y <= kTop + kFold - inset &&
               x - y <= kCut - inset * std::sqrt(2.0);
    };
}

Inside Stroke(std::vector<Point> path, double width) {
    return [path = std::move(path), width](double x, double y) {
        for (size_t i = 1; i < path.size(); ++i) {
            if (SegmentDistance({x, y}, path[i - 1], path[i]) <= width / 2) return true;
        }
        return false;
    };
}

Inside Disc(Point c, double r) {
    return [c, r](double x, double y) { return std::hypot(x - c.x, y - c.y) <= r; };
}

// The side branch leaves the trunk and bends up to its own commit.
std::vector<Point> BranchCurve(Point from, Point control, Point to) {
    std::vector<Point> path;
    for (int i = 0; i <= 24; ++i) {
        const double t = i / 24.0, u = 1 - t;
        path.push_back({u * u * from.x + 2 * u * t * control.x + t * t * to.x,
                        u * u * from.y + 2 * u * t * control.y + t * t * to.y});
    }
    return path;
}

constexpr uint32_t kInk = Rgb(0x7A5A2E);
constexpr uint32_t kVellum = Rgb(0xF5E7C6);
constexpr uint32_t kCrease = Rgb(0xDCC494);
constexpr uint32_t kTrunk = Rgb(0x1F5A8A);
constexpr uint32_t kBranch = Rgb(0x2E8B57);

Image SmallIcon() {
    static const char* const rows[16] = {
        "..oooooooo......", "..oppppppoo.....", "..oppbbppofo....", "..opbbbbpoffo...",
        "..opbbbbpooooo..", "..oppbbppggppo..", "..oppbbpggggpo..", "..oppbbpggggpo..",
        "..oppbbppggppo..", "..oppbbpggpppo..", "..oppbbggppppo..", "..oppbbppppppo..",
        "..opbbbbpppppo..", "..opbbbbpppppo..", "..oppbbppppppo..", "..oooooooooooo..",
    };
    Image image(16, 16, 0);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            switch (rows[y][x]) {
            case 'o': image.at(x, y) = kInk; break;
            case 'p': image.at(x, y) = kVellum; break;
            case 'f': image.at(x, y) = kCrease; break;
            case 'b': image.at(x, y) = kTrunk; break;
            case 'g': image.at(x, y) = kBranch; break;
            }
        }
    }
    return image;
}

}  // namespace

Image ProgramIcon(int size) {
    if (size == 16) return SmallIcon();
    Image image(size, size, 0);
    const double rim = std::max(1.0, std::round(0.035 * size)) / size;  // whole pixels
    const double line = 0.075, dot = 0.085;

    Paint(image, Sheet(0), kInk);
    Paint(image, Sheet(rim), kVellum);
    Paint(image, Fold(0), kInk);
    Paint(image, Fold(rim), kCrease);

    const Point top{0.38, 0.30}, bottom{0.38, 0.80}, tip{0.64, 0.43};
    Paint(image, Stroke(BranchCurve({0.38, 0.70}, {0.64, 0.70}, tip), line), kBranch);
    Paint(image, Stroke({top, bottom}, line), kTrunk);
    Paint(image, Disc(top, dot), kTrunk);
    Paint(image, Disc(bottom, dot), kTrunk);
    Paint(image, Disc(tip, dot), kBranch);
    for (Point commit : {top, bottom, tip}) Paint(image, Disc(commit, dot * 0.45), kVellum);
    return image;
}

}  // namespace icons
