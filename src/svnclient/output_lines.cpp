#include "svnclient/output_lines.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace svnclient {

size_t OutputLines::FindLineEnd() {
    scanned_ = std::max(scanned_, start_);
    const char* base = bytes_.data();
    const void* lf = std::memchr(base + scanned_, '\n', bytes_.size() - scanned_);
    if (lf == nullptr) {
        scanned_ = bytes_.size();
        return std::string::npos;
    }
    scanned_ = static_cast<const char*>(lf) - base;
    return scanned_;
}

void OutputLines::Append(const std::string& more) {
    if (more.empty()) return;
    // Lines handed out are dropped once they are most of the buffer, so a
    // long listing neither grows the buffer nor moves it for every line.
    if (start_ > 65536 && start_ > bytes_.size() / 2) {
        bytes_.erase(0, start_);
        scanned_ -= start_;
        start_ = 0;
    }
    bytes_ += more;
}

std::optional<std::string> OutputLines::Take(bool ended) {
    std::optional<std::string> raw = TakeRaw(ended);
    if (!raw) return std::nullopt;
    return CleanLine(*raw);
}

std::string OutputLines::TakeAll() {
    std::string all;
    if (start_ == 0)
        all.swap(bytes_);
    else
        all = bytes_.substr(start_);
    bytes_.clear();
    start_ = scanned_ = 0;
    return all;
}

std::optional<std::string> OutputLines::TakeRaw(bool ended) {
    const size_t lf = FindLineEnd();
    size_t end;
    if (lf != std::string::npos)
        end = lf + 1;
    else if (ended && HasRest())
        end = bytes_.size();
    else
        return std::nullopt;
    std::string raw = bytes_.substr(start_, end - start_);
    start_ = scanned_ = end;
    if (start_ == bytes_.size()) {
        bytes_.clear();
        start_ = scanned_ = 0;
    }
    return raw;
}

std::string TextLine(const std::string& raw) {
    std::string text = platform::SystemToUtf8(raw);
    text.resize(std::min(text.size(), text.find('\0')));
    std::erase_if(text, [](char ch) { return ch == '\r' || ch == '\n'; });
    return text;
}

std::string CleanLine(const std::string& raw) {
    const std::string text = TextLine(raw);
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace svnclient
