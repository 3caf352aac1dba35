#include "host/OrderedWorkers.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace orvessa {

OrderedWorkers::OrderedWorkers(unsigned threads, std::size_t capacity)
    : m_capacity(capacity)
{
    if (threads == 0 || capacity == 0)
        throw std::invalid_argument("ordered workers need at least one thread and room for one job");
    m_threads.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { work(); });
}

OrderedWorkers::~OrderedWorkers()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queued.clear();
    }
    m_changed.notify_all();
    for (auto& thread : m_threads)
        thread.join();
}

unsigned OrderedWorkers::threadsForThisMachine(unsigned most)
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, std::max(1u, most));
}

void OrderedWorkers::submit(Job job)
{
    auto slot = std::make_shared<Slot>();
    slot->job = std::move(job);
    std::unique_lock lock(m_mutex);
    enqueue(std::move(slot), lock);
}

void OrderedWorkers::submitStep(Step step)
{
    auto slot = std::make_shared<Slot>();
    slot->step = std::move(step);
    slot->done = true;
    std::unique_lock lock(m_mutex);
    enqueue(std::move(slot), lock);
    runDueSteps(lock);
}

void OrderedWorkers::enqueue(std::shared_ptr<Slot> slot, std::unique_lock<std::mutex>& lock)
{
    // While waiting for room, this thread runs steps that are due, so a queue full of finished
    // work never waits for a worker.
    for (;;) {
        rethrowFailure();
        if (m_inOrder.size() < m_capacity)
            break;
        runDueSteps(lock);
        rethrowFailure();
        if (m_inOrder.size() < m_capacity)
            break;
        m_changed.wait(lock);
    }
    slot->number = m_nextNumber++;
    m_inOrder.push_back(slot);
    if (!slot->done) {
        m_queued.push_back(std::move(slot));
        m_changed.notify_all();
    }
}

void OrderedWorkers::finish()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        runDueSteps(lock);
        // Steps before a failure still run; a step taken off the queue may still be running.
        bool stepsDue = !m_inOrder.empty() && m_inOrder.front()->number < m_failedAt;
        if (!stepsDue && m_running == 0 && !m_steppingNow) {
            rethrowFailure();
            return;
        }
        m_changed.wait(lock);
    }
}

void OrderedWorkers::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_queued.empty(); });
        if (m_stopping)
            return;
        std::shared_ptr<Slot> slot = std::move(m_queued.front());
        m_queued.pop_front();
        Job job = std::move(slot->job);
        ++m_running;
        lock.unlock();
        Step step;
        std::exception_ptr failure;
        try {
            step = job();
        } catch (...) {
            failure = std::current_exception();
        }
        // What the job held (a frame's pixels) goes now, outside the lock.
        job = nullptr;
        lock.lock();
        --m_running;
        slot->step = std::move(step);
        slot->done = true;
        if (failure)
            fail(failure, slot->number);
        runDueSteps(lock);
        m_changed.notify_all();
    }
}

void OrderedWorkers::runDueSteps(std::unique_lock<std::mutex>& lock)
{
    if (m_steppingNow)
        return;
    m_steppingNow = true;
    while (!m_stopping && !m_inOrder.empty() && m_inOrder.front()->done && m_inOrder.front()->number < m_failedAt) {
        // The slot stays first, and counts against the capacity, until its step has run.
        std::uint64_t number = m_inOrder.front()->number;
        Step step = std::move(m_inOrder.front()->step);
        lock.unlock();
        std::exception_ptr failure;
        try {
            if (step)
                step();
        } catch (...) {
            failure = std::current_exception();
        }
        step = nullptr;
        lock.lock();
        m_inOrder.pop_front();
        if (failure)
            fail(failure, number);
        // Room for another job.
        m_changed.notify_all();
    }
    m_steppingNow = false;
    m_changed.notify_all();
}

void OrderedWorkers::fail(std::exception_ptr failure, std::uint64_t number)
{
    if (number < m_failedAt) {
        m_failure = std::move(failure);
        m_failedAt = number;
    }
    // Jobs before the failure still run, so that their steps can.
    std::erase_if(m_queued, [this](const std::shared_ptr<Slot>& slot) { return slot->number > m_failedAt; });
}

void OrderedWorkers::rethrowFailure() const
{
    if (m_failure)
        std::rethrow_exception(m_failure);
}

}
