// A thread that stays alive across several steps of a test, so that its EGL binding persists between
// them. run() hands it one step and waits for it with a deadline; a step that does not finish in time
// ends the process, so a deadlock cannot hang the test run.
#ifndef TAMARIND_TESTS_SUPPORT_WORKER_THREAD_H
#define TAMARIND_TESTS_SUPPORT_WORKER_THREAD_H

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace tamarind::test {

class WorkerThread {
public:
    WorkerThread() : thread_([this] { loop(); }) {}
    ~WorkerThread()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join(); // every step has finished or the process has ended
    }
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    void run(std::function<void()> step, std::chrono::seconds deadline = std::chrono::seconds(30))
    {
        std::packaged_task<void()> task(std::move(step));
        std::future<void> done = task.get_future();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            steps_.push_back(std::move(task));
        }
        wake_.notify_one();
        if (done.wait_for(deadline) != std::future_status::ready) {
            std::fprintf(stderr, "a worker step did not finish in time\n");
            std::abort();
        }
        done.get();
    }

private:
    void loop()
    {
        for (;;) {
            std::packaged_task<void()> step;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !steps_.empty(); });
                if (steps_.empty())
                    return;
                step = std::move(steps_.front());
                steps_.pop_front();
            }
            step();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::packaged_task<void()>> steps_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace tamarind::test

#endif
