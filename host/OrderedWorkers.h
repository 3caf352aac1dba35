#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orvessa {

// Runs jobs on a few worker threads, and the step each job returns in the order the jobs were
// submitted, one step at a time: the work in parallel, its results delivered in order. At most
// `capacity` jobs are in flight (queued, running, or done and waiting for their turn); submit()
// waits for room, so memory stays bounded however many jobs come.
//
// A job or step that throws stops the work from there on: the steps of the jobs submitted before
// it still run, no job or step after it does, and submit() and finish() rethrow the exception.
// NOTE: One thread submits; steps run on the workers or on that thread while it waits.
class OrderedWorkers {
public:
    using Step = std::function<void()>;
    using Job = std::function<Step()>;

    // Throws std::invalid_argument for no threads or no capacity.
    OrderedWorkers(unsigned threads, std::size_t capacity);
    // Drops what has not run and joins the threads; never throws.
    ~OrderedWorkers();
    OrderedWorkers(const OrderedWorkers&) = delete;
    OrderedWorkers& operator=(const OrderedWorkers&) = delete;

    void submit(Job);
    // A step that needs no work first: it still runs in its turn.
    void submitStep(Step);
    // Waits until every step has run; rethrows the first failure.
    void finish();

    // Threads for the machine's cores, at least one and at most `most`.
    static unsigned threadsForThisMachine(unsigned most);

private:
    struct Slot {
        std::uint64_t number { 0 }; // In submission order.
        Job job;
        Step step;
        bool done { false };
    };

    void work();
    void enqueue(std::shared_ptr<Slot>, std::unique_lock<std::mutex>&);
    // Runs the steps that are due, unless another thread already is; the lock is let go meanwhile.
    void runDueSteps(std::unique_lock<std::mutex>&);
    void fail(std::exception_ptr, std::uint64_t number);
    void rethrowFailure() const;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Slot>> m_inOrder; // Every slot whose step has not run, oldest first.
    std::deque<std::shared_ptr<Slot>> m_queued; // Jobs no worker has taken yet.
    std::size_t m_capacity;
    std::size_t m_running { 0 }; // Jobs a worker is running now.
    bool m_steppingNow { false }; // A thread is running steps; the others leave them to it.
    bool m_stopping { false };
    std::uint64_t m_nextNumber { 0 };
    std::exception_ptr m_failure; // The earliest failure, that of slot m_failedAt.
    std::uint64_t m_failedAt { UINT64_MAX };
    std::vector<std::thread> m_threads; // Last, so the threads start after everything they use.
};

}
