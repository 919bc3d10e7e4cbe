// The 16x16 list pictures, drawn pixel by pixel so they stay crisp at their
// only size: a folder, a page, and a lettered badge per status code.
#include "icons/status_pictures.h"

#include <array>
#include <cstring>

namespace icons {

namespace {

// The tree shows each composite opaque, with the colour a base stores in its
// transparent pixels as the background: white, like the tree's own.
constexpr uint32_t kClearWhite = 0x00FFFFFF;

// Rows of '#' and '.', the first row at the top.
void Stamp(Image& image, int left, int top, const char* const* rows, int height, uint32_t colour) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; rows[y][x]; ++x) {
            if (rows[y][x] == '#') image.at(left + x, top + y) = colour;
        }
    }
}

void Fill(Image& image, int x0, int y0, int x1, int y1, uint32_t colour) {
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) image.at(x, y) = colour;
    }
}

struct Glyph {
    char sign;
    const char* rows[7];
};

// A 5x7 pixel font: just the signs the status codes need.
constexpr Glyph kFont[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'?', {".###.", "#...#", "....#", "..##.", "..#..", ".....", "..#.."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'~', {".....", ".....", ".#...", "#.#.#", "...#.", ".....", "....."}},
    {'+', {".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."}},
};

const Glyph* FindGlyph(char sign) {
    for (const auto& g : kFont) {
        if (g.sign == sign) return &g;
    }
    return nullptr;
}

uint32_t Darker(uint32_t colour) {
    uint32_t out = colour & 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= (((colour >> shift) & 0xFF) * 3 / 5) << shift;
    return out;
}

}  // namespace

Image FolderPicture() {
    Image image(16, 16, kClearWhite);
    const uint32_t outline = Rgb(0x8A5A12);
    const uint32_t back = Rgb(0xD99A2B);
    const uint32_t front = Rgb(0xF6C453);
    const uint32_t shine = Rgb(0xFBE29A);
    // The tab, then the back wall, then the front flap a little lower.
    Fill(image, 1, 2, 6, 3, outline);
    Fill(image, 2, 3, 5, 3, back);
    Fill(image, 1, 4, 14, 13, outline);
    Fill(image, 2, 5, 13, 12, back);
    Fill(image, 1, 6, 14, 13, outline);
    Fill(image, 2, 7, 13, 12, front);
    Fill(image, 2, 7, 13, 7, shine);
    return image;
}

Image FilePicture() {
    Image image(16, 16, kClearWhite);
    const uint32_t outline = Rgb(0x6E6E6E);
    const uint32_t paper = Rgb(0xFFFFFF);
    const uint32_t fold = Rgb(0xD8D8D8);
    const uint32_t line = Rgb(0xA8A8A8);
    static const char* const page[] = {
        "########....",  // the top right corner is folded down
        "#......##...", "#......#.#..", "#......#..#.", "#......#####",
    };
    Stamp(image, 2, 0, page, 5, outline);
    Fill(image, 3, 1, 8, 4, paper);
    Fill(image, 3, 5, 12, 14, paper);
    image.at(10, 2) = fold, image.at(10, 3) = fold, image.at(11, 3) = fold;
    Fill(image, 2, 5, 2, 15, outline);
    Fill(image, 13, 5, 13, 15, outline);
    Fill(image, 2, 15, 13, 15, outline);
    Fill(image, 4, 3, 7, 3, line);
    for (int y = 6; y <= 12; y += 2) Fill(image, 4, y, 11, y, line);
    return image;
}

// A 9x9 badge with clipped corners in the bottom-right corner, the sign in
// white on it; the darker rim keeps it apart from the picture below.
Image OverlayPicture(char sign, uint32_t colour) {
    Image image(16, 16, 0);
    const uint32_t rim = Darker(colour);
    Fill(image, 7, 8, 15, 14, rim);
    Fill(image, 8, 7, 14, 15, rim);
    Fill(image, 8, 8, 14, 14, colour);
    if (const Glyph* g = FindGlyph(sign)) Stamp(image, 9, 8, g->rows, 7, Rgb(0xFFFFFF));
    return image;
}

const std::vector<OverlayStyle>& Overlays() {
    // Green for additions, red for trouble, blue for changes the client
    // made, amber for locks, grey for what is outside version control.
    static const std::vector<OverlayStyle> styles = {
        {"AIcon16x16.png", 'A', Rgb(0x2E9E3E)},  {"+Icon16x16.png", '+', Rgb(0x2E9E3E)},
        {"CIcon16x16.png", 'C', Rgb(0xD0302A)},  {"!Icon16x16.png", '!', Rgb(0xD0302A)},
        {"BIcon16x16.png", 'B', Rgb(0xD0302A)},  {"~Icon16x16.png", '~', Rgb(0xE07018)},
        {"MIcon16x16.png", 'M', Rgb(0x2763C4)},  {"UIcon16x16.png", 'U', Rgb(0x2763C4)},
        {"GIcon16x16.png", 'G', Rgb(0x1B8A8A)},  {"RIcon16x16.png", 'R', Rgb(0x6A45B8)},
        {"SIcon16x16.png", 'S', Rgb(0x8E3A9E)},  {"EIcon16x16.png", 'E', Rgb(0x1B8A8A)},
        {"KIcon16x16.png", 'K', Rgb(0xB8860B)},  {"LIcon16x16.png", 'L', Rgb(0xB8860B)},
        {"OIcon16x16.png", 'O', Rgb(0xB8860B)},  {"TIcon16x16.png", 'T', Rgb(0xE07018)},
        {"IIcon16x16.png", 'I', Rgb(0x7A7A7A)},  {"XIcon16x16.png", 'X', Rgb(0x7A7A7A)},
        {"NVIcon16x16.png", '?', Rgb(0x7A7A7A)},
    };
    return styles;
}

}  // namespace icons
