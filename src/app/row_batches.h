// Rows a worker reads, handed to the main thread in batches.
#pragma once
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "platform/process.h"
#include "platform/window.h"

namespace app {

// Rows reach the main thread in batches: one hand-over per read of the
// client's output, or per 20 ms while output keeps coming, so thousands of
// rows cost the window a few appends per frame, not a wake-up per row. A
// batch holds at most kMost rows, so appending one never stalls the window.
template <class Row>
class RowBatches {
public:
    using Append = std::function<void(int first, const std::vector<Row>& rows)>;
    RowBatches(Append append, const std::atomic<bool>* stop)
        : append_(std::move(append)), stop_(stop) {}

    void Add(Row row) {
        rows_.push_back(std::move(row));
        if (rows_.size() >= kMost || Clock::now() - since_ >= std::chrono::milliseconds(20))
            HandOver();
    }

    void HandOver() {
        since_ = Clock::now();
        if (rows_.empty()) return;
        // Queued, never waited for (the stop handling waits for this thread
        // while it runs the queued calls), but never more than two ahead of
        // the window: a stop must not wait behind thousands of rows.
        while (*queued_ >= 2 && !(stop_ != nullptr && *stop_)) platform::Sleep(1);
        ++*queued_;
        const int first = next_;
        next_ += static_cast<int>(rows_.size());
        platform::RunOnMainThread(
            [append = append_, queued = queued_, first, rows = std::move(rows_)] {
                append(first, rows);
                --*queued;
            });
        rows_.clear();
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kMost = 2000;
    Append append_;
    const std::atomic<bool>* stop_;
    // Shared with the queued calls, which may run after this is gone.
    std::shared_ptr<std::atomic<int>> queued_ = std::make_shared<std::atomic<int>>(0);
    std::vector<Row> rows_;
    int next_ = 0;
    Clock::time_point since_ = Clock::now();
};

}  // namespace app
