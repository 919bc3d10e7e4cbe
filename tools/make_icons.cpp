// Draws the program's pictures: the list icons under <data>/gfx/ and the
// program's own icon under <data>/icons/. Usage: make_icons <data folder>.
#include <cstdio>
#include <filesystem>
#include <string>

#include "icons/ico_write.h"
#include "icons/program_icon.h"
#include "icons/status_pictures.h"

namespace {

bool Save(const std::string& path, const icons::Image& image) {
    if (icons::WriteFile(path, icons::EncodePng(image))) return true;
    std::fprintf(stderr, "make_icons: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons <data folder>\n");
        return 2;
    }
    const std::string gfx = std::string(argv[1]) + "/gfx/";
    const std::string program = std::string(argv[1]) + "/icons/";
    std::error_code ec;
    std::filesystem::create_directories(gfx, ec);
    std::filesystem::create_directories(program, ec);

    bool ok = Save(gfx + "FolderIcon16x16.png", icons::FolderPicture());
    ok = Save(gfx + "FileIcon16x16.png", icons::FilePicture()) && ok;
    for (const auto& o : icons::Overlays())
        ok = Save(gfx + o.file, icons::OverlayPicture(o.sign, o.colour)) && ok;

    std::vector<icons::Image> sizes;
    for (int size : {48, 32, 16}) {
        sizes.push_back(icons::ProgramIcon(size));
        ok = Save(program + "vellum-" + std::to_string(size) + ".png", sizes.back()) && ok;
    }
    const icons::Image large = icons::ProgramIcon(256);
    ok = Save(program + "vellum-256.png", large) && ok;
    if (!icons::WriteIco(program + "vellum.ico", sizes, icons::EncodePng(large), 256)) {
        std::fprintf(stderr, "make_icons: cannot write %svellum.ico\n", program.c_str());
        ok = false;
    }
    return ok ? 0 : 1;
}
