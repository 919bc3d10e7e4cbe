#include "app/entry_tree.h"

#include <algorithm>
#include <array>

#include "app/control_ids.h"
#include "browse/icon_set.h"
#include "browse/local_browser.h"
#include "browse/remote_browser.h"
#include "i18n/catalogue.h"
#include "platform/paths.h"

namespace app {

browse::EntryList g_entries;

namespace {

using browse::kStatusCodeCount;

// [0] the plain icons, [1 + i] the composites of status code i; each over
// the file icon, then the folder icon.
std::array<std::array<platform::ImageHandle, 2>, kStatusCodeCount + 1> g_icons{};

platform::ImageHandle Register(const std::optional<browse::Pixels>& pixels) {
    return pixels ? platform::CreateImage(pixels->data()) : 0;
}

// The client's text as a box can show it at once: at most a screenful of
// lines, each cut to a readable width (on a character boundary), and a count
// of the lines left out.
std::string FitForBox(const std::string& text) {
    constexpr size_t kMaxLines = 30, kMaxWidth = 200;
    std::string out;
    size_t lines = 0, start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (++lines <= kMaxLines) {
            size_t cut = std::min(end, start + kMaxWidth);
            while (cut < end && cut > start &&
                   (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
                --cut;
            if (lines > 1) out += '\n';
            out += text.substr(start, cut - start);
            if (cut < end) out += "\u2026";
        }
        start = end + 1;
    }
    if (lines > kMaxLines)
        out += "\n\u2026 " + i18n::Translate("lines not shown:") + " " +
               std::to_string(lines - kMaxLines);
    return out;
}

}  // namespace

void LoadIcons(const std::string& folder) {
    const browse::IconSet icons = browse::LoadIconSet(folder);
    for (int kind = 0; kind < 2; ++kind) {
        g_icons[0][kind] = Register(icons.plain[kind]);
        for (int i = 0; i < kStatusCodeCount; ++i)
            g_icons[1 + i][kind] = Register(icons.composite[i][kind]);
    }
}

platform::ImageHandle StatusIcon(const std::string& code, int isFolder) {
    return g_icons[1 + browse::StatusCodeIndex(code)][isFolder != 0 ? 1 : 0];
}

void ClearEntries() {
    platform::TreeClear(EntryTree);
    g_entries.Clear();
}

void ShowEntries() {
    const auto& entries = g_entries.Entries();
    platform::TreeClear(EntryTree);
    for (const auto& e : entries) {
        platform::TreeAddItem(EntryTree, e.row, e.name, StatusIcon(e.status, e.isFolder), e.depth);
        platform::TreeSetValue(EntryTree, e.row, e.isFolder);
    }
    // Expanded after all items exist, so every folder shows its listed children.
    for (const auto& e : entries) {
        if (e.isFolder != 0) platform::TreeExpand(EntryTree, e.row);
    }
}

void ListLocalEntries(int R, int D, const std::string& subPath) {
    browse::ReplaceChildren(g_entries, R, D, [&](const browse::EntrySink& add) {
        browse::ListLocalFolder(subPath, add);
    });
}

void ListRemoteEntries(int R, int D, const std::string& subPath) {
    std::string errors;
    browse::ReplaceChildren(g_entries, R, D, [&](const browse::EntrySink& add) {
        errors = browse::ListRemoteFolder(subPath, add).errors;
    });
    ReportClientError(errors);
}

void AppendChangeRow(const std::string& code, const std::string& path) {
    browse::ListEntry e;
    e.row = g_entries.Size();
    e.name = path;
    // The client names folders without a trailing separator: ask the disk.
    e.isFolder = platform::EndsWithSeparator(path) || platform::IsDirectory(path) ? 1 : 0;
    e.status = code;
    e.path = path;
    platform::TreeAddItem(EntryTree, e.row, path, StatusIcon(code, e.isFolder), 0);
    platform::TreeSetValue(EntryTree, e.row, 0);
    g_entries.Append(std::move(e));
}

void AppendTextRow(int row, const std::string& text) {
    platform::TreeAddItem(EntryTree, row, text, 0, 0);
    platform::TreeSetValue(EntryTree, row, 0);
}

void AppendTextRows(int first, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) AppendTextRow(first++, text);
}

void ShowInformation(const std::string& prefix, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    std::string text = prefix + " : ";
    for (size_t i = 0; i < lines.size(); ++i) text += (i > 0 ? "\n" : "") + lines[i];
    platform::ShowMessage(i18n::Translate("Informations"), FitForBox(text));
}

void ReportClientError(const std::string& errors) {
    std::string text = errors;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.empty()) return;
    platform::RunOnMainThreadAndWait([text = FitForBox(text)] {
        platform::ShowMessage(
            i18n::Translate("Alert"),
            i18n::Translate("The Subversion client reported an error:") + "\n\n" + text);
    });
}

}  // namespace app
