// The client's output as it comes off the pipe, cut into lines: pure, so the
// cutting is the same whatever sizes the reads happen to have.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace svnclient {

class OutputLines {
public:
    void Append(const std::string& more);
    // Whether a line feed ends a line not handed out yet.
    bool HasWholeLine() { return FindLineEnd() != std::string::npos; }
    // Whether bytes wait that no line feed ends yet.
    bool HasRest() const { return start_ < bytes_.size(); }
    size_t Waiting() const { return bytes_.size() - start_; }
    // The next line, cleaned; with `ended` (no more bytes can come) an
    // unterminated rest is the last line. Nothing when no line is ready.
    std::optional<std::string> Take(bool ended);
    // The same line as it came, its LF included and nothing converted.
    std::optional<std::string> TakeRaw(bool ended);
    // Every byte waiting, whole lines or not.
    std::string TakeAll();

private:
    size_t FindLineEnd();

    std::string bytes_;   // taken from the pipe, not yet handed out
    size_t start_ = 0;    // where the next line begins in `bytes_`
    size_t scanned_ = 0;  // no line feed lies in [start_, scanned_)
};

// A raw line as shown: from the system's encoding, cut at a NUL, without CR
// or LF, blanks trimmed at both ends.
std::string CleanLine(const std::string& raw);
// A raw line whose blanks matter (a diff's, a file's): from the system's
// encoding, cut at a NUL, without CR or LF, never trimmed.
std::string TextLine(const std::string& raw);

}  // namespace svnclient
