#include "icons/ico_write.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace icons {

namespace {

using Bytes = std::vector<uint8_t>;
using Rgb3 = std::array<int, 3>;

// Pixels at least half covered are drawn; the rest is the mask's.
bool Opaque(uint32_t p) { return (p >> 24) >= 128; }
Rgb3 Channels(uint32_t p) { return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)}; }

void Put16(Bytes& out, unsigned v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Median cut: split the box with the widest channel at its median until
// there are `count` boxes; each box's mean is a palette colour.
std::vector<Rgb3> Quantise(std::vector<Rgb3> colours, size_t count) {
    std::vector<std::pair<size_t, size_t>> boxes;  // [begin, end) into colours
    if (!colours.empty()) boxes.emplace_back(0, colours.size());
    auto widest = [&](size_t b, int& channel) {
        int best = -1;
        for (int c = 0; c < 3; ++c) {
            auto [lo, hi] = std::minmax_element(
                colours.begin() + boxes[b].first, colours.begin() + boxes[b].second,
                [c](const Rgb3& x, const Rgb3& y) { return x[c] < y[c]; });
            if ((*hi)[c] - (*lo)[c] > best) best = (*hi)[c] - (*lo)[c], channel = c;
        }
        return best;
    };
    while (boxes.size() < count) {
        int bestRange = 0, bestChannel = 0;
        size_t bestBox = boxes.size();
        for (size_t b = 0; b < boxes.size(); ++b) {
            int channel = 0;
            int range = widest(b, channel);
            if (range > bestRange) bestRange = range, bestChannel = channel, bestBox = b;
        }
        if (bestBox == boxes.size()) break;  // every box holds a single colour
        auto [first, last] = boxes[bestBox];
        auto mid = colours.begin() + (first + last) / 2;
        std::nth_element(colours.begin() + first, mid, colours.begin() + last,
                         [c = bestChannel](const Rgb3& x, const Rgb3& y) { return x[c] < y[c]; });
        boxes[bestBox] = {first, (first + last) / 2};
        boxes.emplace_back((first + last) / 2, last);
    }
    std::vector<Rgb3> palette;
    for (auto [first, last] : boxes) {
        Rgb3 sum{0, 0, 0};
        for (size_t i = first; i < last; ++i) {
            for (int c = 0; c < 3; ++c) sum[c] += colours[i][c];
        }
        const int n = int(last - first);
        palette.push_back({(sum[0] + n / 2) / n, (sum[1] + n / 2) / n, (sum[2] + n / 2) / n});
    }
    return palette;
}

int Nearest(const std::vector<Rgb3>& palette, const Rgb3& c) {
    int best = 0, bestDistance = INT32_MAX;
    for (size_t i = 1; i < palette.size(); ++i) {  // 0 is the mask's black
        int d = 0;
        for (int k = 0; k < 3; ++k) d += (palette[i][k] - c[k]) * (palette[i][k] - c[k]);
        if (d < bestDistance) bestDistance = d, best = int(i);
    }
    return best;
}

size_t Stride(int width, int bits) { return size_t((width * bits + 31) / 32) * 4; }

// A bitmap as icons store it: header with doubled height, palette, colour
// rows bottom-up, then the 1-bit mask (1 = transparent) bottom-up.
Bytes Bitmap(const Image& image, int bits) {
    Bytes out;
    const size_t colourSize = Stride(image.w, bits) * image.h;
    const size_t maskSize = Stride(image.w, 1) * image.h;
    Put32(out, 40);
    Put32(out, image.w);
    Put32(out, image.h * 2);
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, 0);
    Put32(out, uint32_t(colourSize + maskSize));
    for (int i = 0; i < 4; ++i) Put32(out, 0);

    std::vector<int> index(image.px.size(), 0);
    if (bits <= 8) {
        std::vector<Rgb3> opaque;
        for (uint32_t p : image.px) {
            if (Opaque(p)) opaque.push_back(Channels(p));
        }
        std::vector<Rgb3> palette{{0, 0, 0}};
        for (const auto& c : Quantise(opaque, (size_t(1) << bits) - 1)) palette.push_back(c);
        palette.resize(size_t(1) << bits, Rgb3{0, 0, 0});
        for (const auto& c : palette) {
            out.insert(out.end(), {uint8_t(c[2]), uint8_t(c[1]), uint8_t(c[0]), 0});
        }
        for (size_t i = 0; i < image.px.size(); ++i) {
            if (Opaque(image.px[i])) index[i] = Nearest(palette, Channels(image.px[i]));
        }
    }
    for (int y = image.h - 1; y >= 0; --y) {
        Bytes row(Stride(image.w, bits), 0);
        for (int x = 0; x < image.w; ++x) {
            const uint32_t p = image.at(x, y);
            const int i = index[size_t(y) * image.w + x];
            if (bits == 32) {
                row[x * 4] = uint8_t(p), row[x * 4 + 1] = uint8_t(p >> 8);
                row[x * 4 + 2] = uint8_t(p >> 16), row[x * 4 + 3] = uint8_t(p >> 24);
            } else if (bits == 8) {
                row[x] = uint8_t(i);
            } else {
                row[x / 2] |= uint8_t(x % 2 ? i : i << 4);
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = image.h - 1; y >= 0; --y) {
        Bytes row(Stride(image.w, 1), 0);
        for (int x = 0; x < image.w; ++x) {
            if (!Opaque(image.at(x, y))) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

struct Entry {
    int size, bits;
    Bytes data;
};

}  // namespace

bool WriteIco(const std::string& path, const std::vector<Image>& images, const Bytes& largePng,
              int largeSize) {
    std::vector<Entry> entries;
    for (const auto& image : images) {
        for (int bits : {4, 8, 32}) entries.push_back({image.w, bits, Bitmap(image, bits)});
    }
    entries.push_back({largeSize, 32, largePng});

    Bytes out;
    Put16(out, 0);
    Put16(out, 1);  // an icon, not a cursor
    Put16(out, uint16_t(entries.size()));
    uint32_t offset = uint32_t(6 + 16 * entries.size());
    for (const auto& e : entries) {
        out.push_back(uint8_t(e.size >= 256 ? 0 : e.size));  // 0 stands for 256
        out.push_back(uint8_t(e.size >= 256 ? 0 : e.size));
        out.push_back(uint8_t(e.bits == 4 ? 16 : 0));
        out.push_back(0);
        Put16(out, 1);
        Put16(out, e.bits);
        Put32(out, uint32_t(e.data.size()));
        Put32(out, offset);
        offset += uint32_t(e.data.size());
    }
    for (const auto& e : entries) out.insert(out.end(), e.data.begin(), e.data.end());
    return WriteFile(path, out);
}

}  // namespace icons
