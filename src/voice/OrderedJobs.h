#pragma once
// Jobs done one at a time on a thread of their own, in the order they were handed in, and each
// result handed back to the owner's thread through its event loop in that order. The thread and
// what the jobs work with (a synthesizer, a recogniser) are made when the first job comes, so
// nothing is loaded before it is needed.
#include <QCoreApplication>
#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace voice {

template <class Tool>
class OrderedJobs {
public:
    // Runs on the jobs' thread with the tool; what it returns runs on the owner's thread.
    using Job = std::function<std::function<void()>(Tool&)>;

    explicit OrderedJobs(QObject* owner) : owner_(owner) {}
    OrderedJobs(const OrderedJobs&) = delete;
    OrderedJobs& operator=(const OrderedJobs&) = delete;
    // Waits for the job in hand; the rest are dropped, and so are results not yet delivered.
    ~OrderedJobs() {
        {
            std::lock_guard hold(lock_);
            stop_ = true;
            jobs_.clear();
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    void submit(Job job) {
        {
            std::lock_guard hold(lock_);
            jobs_.push_back(std::move(job));
            ++submitted_;
            if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
        }
        wake_.notify_one();
    }

    // Returns once every job handed in so far has been done and its result delivered. For tests.
    void waitIdle() {
        for (;;) {
            quint64 submitted = 0;
            {
                std::unique_lock hold(lock_);
                done_.wait(hold, [this] { return finished_ == submitted_; });
                submitted = submitted_;
            }
            QCoreApplication::sendPostedEvents(owner_, QEvent::MetaCall);
            if (reported_ >= submitted) return;
        }
    }

private:
    void run() {
        Tool tool;
        for (;;) {
            Job job;
            {
                std::unique_lock hold(lock_);
                wake_.wait(hold, [this] { return stop_ || !jobs_.empty(); });
                if (stop_) return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            std::function<void()> report = job(tool);
            QMetaObject::invokeMethod(
                owner_,
                [this, report = std::move(report)] {
                    ++reported_;
                    report();
                },
                Qt::QueuedConnection);
            {
                std::lock_guard hold(lock_);
                ++finished_;
            }
            done_.notify_all();
        }
    }

    QObject* owner_;
    std::mutex lock_;
    std::condition_variable wake_, done_;
    std::deque<Job> jobs_;
    bool stop_ = false;
    quint64 submitted_ = 0; // jobs handed in
    quint64 finished_ = 0;  // jobs whose result is posted to the owner
    quint64 reported_ = 0;  // results delivered (owner's thread only)
    std::thread thread_;
};

} // namespace voice
