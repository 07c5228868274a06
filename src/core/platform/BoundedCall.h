#pragma once

// Runs a blocking call on a thread of its own and waits for it only until a deadline passes or the
// waiter's stop() turns true; a call given up on runs to its end unobserved and can see that it was.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace pellora::platform {

// What a bounded call sees of its waiter.
class CallWatch {
public:
    using Clock = std::chrono::steady_clock;

    explicit CallWatch(Clock::time_point deadline) : m_deadline(deadline) {}

    // Milliseconds left until the deadline; 0 once it has passed or the waiter has given up.
    int remainingMilliseconds() const
    {
        if (m_givenUp.load())
            return 0;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now()).count();
        return static_cast<int>(std::clamp<decltype(left)>(left, 0, 24 * 3600 * 1000));
    }
    bool over() const { return remainingMilliseconds() == 0; }
    void giveUp() { m_givenUp.store(true); }

private:
    const Clock::time_point m_deadline;
    std::atomic<bool> m_givenUp{false};
};

// How often the waiter asks stop().
inline constexpr std::chrono::milliseconds kStopPollInterval{25};

// The call's result; nothing when the time-out passed or stop() turned true first, when the call threw,
// or when no thread could be started.
template <typename Result>
std::optional<Result> CallWithin(std::chrono::milliseconds timeout, const std::function<bool()>& stop,
                                 std::function<Result(const CallWatch&)> call)
{
    struct Shared {
        explicit Shared(CallWatch::Clock::time_point deadline) : watch(deadline) {}
        CallWatch watch;
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        std::optional<Result> result;
    };
    const auto deadline = CallWatch::Clock::now() + timeout;
    const auto shared = std::make_shared<Shared>(deadline);
    try {
        std::thread([shared, call = std::move(call)] {
            std::optional<Result> result;
            try {
                result = call(shared->watch);
            } catch (...) {
                result.reset();
            }
            const std::lock_guard lock(shared->mutex);
            shared->result = std::move(result);
            shared->done = true;
            shared->finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    std::unique_lock lock(shared->mutex);
    for (;;) {
        const auto wakeUp = std::min(CallWatch::Clock::now() + kStopPollInterval, deadline);
        if (shared->finished.wait_until(lock, wakeUp, [&shared] { return shared->done; }))
            return std::move(shared->result);
        if (CallWatch::Clock::now() >= deadline)
            break;
        lock.unlock();
        const bool stopped = stop && stop();
        lock.lock();
        if (stopped)
            break;
    }
    shared->watch.giveUp();
    return std::nullopt;
}

} // namespace pellora::platform
