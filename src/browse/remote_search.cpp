#include "browse/remote_search.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "settings/settings.h"

namespace browse {

namespace {

// The compiled pattern and its match data, released on every way out.
class Expression {
public:
    explicit Expression(const std::string& pattern) {
        int code = 0;
        PCRE2_SIZE offset = 0;
        re_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                            PCRE2_UTF | PCRE2_NO_UTF_CHECK, &code, &offset, nullptr);
        if (!re_) {
            PCRE2_UCHAR message[256];
            if (pcre2_get_error_message(code, message, sizeof message) < 0) message[0] = 0;
            error_ = reinterpret_cast<const char*>(message);
            return;
        }
        data_ = pcre2_match_data_create_from_pattern(re_, nullptr);
    }
    ~Expression() {
        if (data_) pcre2_match_data_free(data_);
        if (re_) pcre2_code_free(re_);
    }
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    bool Compiled() const { return re_ && data_; }
    const std::string& Error() const { return error_; }
    enum Outcome { Match, NoMatch, Failed };
    // Failed: the matcher gave up (a limit of PCRE2's), so the answer is unknown.
    Outcome Try(const std::string& line) {
        const int rc = pcre2_match(re_, reinterpret_cast<PCRE2_SPTR>(line.data()), line.size(), 0,
                                   PCRE2_NO_UTF_CHECK, data_, nullptr);
        return rc >= 0 ? Match : rc == PCRE2_ERROR_NOMATCH ? NoMatch : Failed;
    }

private:
    pcre2_code* re_ = nullptr;
    pcre2_match_data* data_ = nullptr;
    std::string error_;
};

}  // namespace

SearchResult SearchRemote(const std::string& pattern, const svnclient::LineSink& onMatch,
                          const std::atomic<bool>& stop, const std::function<void()>& onDrained) {
    SearchResult result;
    Expression expression(pattern);
    if (!expression.Compiled()) {
        result.patternError = expression.Error();
        return result;
    }
    auto onLine = [&](const std::string& line) {
        if (line.empty()) return;
        switch (expression.Try(line)) {
        case Expression::Match: onMatch(line); break;
        case Expression::Failed: ++result.unmatched; break;
        case Expression::NoMatch: break;
        }
    };
    result.client =
        svnclient::RunClient({svnclient::Plain("list"),
                              svnclient::Target(settings::g_settings.SVNRemoteRepositery, false),
                              svnclient::Plain("-R")},
                             "", 1, onLine, &stop, onDrained);
    return result;
}

}  // namespace browse
