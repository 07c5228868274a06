#pragma once

// Spreads the requests of a sweep over time: a first burst, then a steady rate.

#include <algorithm>
#include <chrono>

namespace pellora::halvane {

class SweepPacer {
public:
    using Clock = std::chrono::steady_clock;

    SweepPacer(double burst, double perSecond, Clock::time_point start)
        : m_burst(burst), m_perSecond(perSecond), m_tokens(burst), m_last(start)
    {
    }

    // True when one more request may go now; it is then counted.
    bool Take(Clock::time_point now)
    {
        Refill(now);
        if (m_tokens < 1.0)
            return false;
        m_tokens -= 1.0;
        return true;
    }

    // When the next request may go.
    Clock::time_point Next(Clock::time_point now)
    {
        Refill(now);
        if (m_tokens >= 1.0)
            return now;
        const std::chrono::duration<double> wait((1.0 - m_tokens) / m_perSecond);
        return now + std::chrono::ceil<Clock::duration>(wait);
    }

private:
    void Refill(Clock::time_point now)
    {
        const std::chrono::duration<double> elapsed = now - m_last;
        m_tokens = std::min(m_burst, m_tokens + elapsed.count() * m_perSecond);
        m_last = now;
    }

    const double m_burst;
    const double m_perSecond;
    double m_tokens;
    Clock::time_point m_last;
};

} // namespace pellora::halvane
