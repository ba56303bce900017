#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <utility>

namespace odds {

// Seconds since start, for the bar and the reports' timings.
double SecondsSince(std::chrono::steady_clock::time_point start);

// Redraws a one-line bar on err until the run finishes, then wipes it.
class ProgressBar
{
  public:
    // The work of the first k of total hands grows as (k / total)^growth;
    // a total of 0 is a run of unknown length.
    ProgressBar(std::ostream& err, std::uint64_t total, const std::atomic<std::uint64_t>& done,
                double growth = 1)
        : m_err(err), m_total(total), m_done(done), m_growth(growth), m_thread([this] { run(); })
    {
    }
    ~ProgressBar()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
        m_err << "\r\033[2K" << std::flush;
    }

  private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        std::optional<std::pair<std::chrono::steady_clock::time_point, std::uint64_t>> first;
        std::string left;
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_stop; })) {
            const std::uint64_t done = m_done.load();
            if (m_total == 0) { // a run whose length is not known: the count only
                m_err << "\r" << done << " hands so far; Ctrl+C stops with the figures so far"
                      << "\033[K" << std::flush;
                continue;
            }
            const auto now = std::chrono::steady_clock::now();
            // The pace is taken from the hands themselves, once they run.
            if (!first && done > 0)
                first.emplace(now, done);
            const double seconds = first ? SecondsSince(first->first) : 0;
            if (first && seconds >= 1 && done > first->second) {
                const double remaining =
                    (1 - work(done)) * seconds / (work(done) - work(first->second));
                left = ", " + Duration(remaining) + " left";
                if (!m_told && remaining > 10)
                    m_err << "\r\033[2Kquintara-odds: this run takes about " << Duration(remaining)
                          << "; Ctrl+C stops it with the figures so far\n";
                m_told = true;
            }
            const double part = static_cast<double>(done) / static_cast<double>(m_total);
            constexpr int kWidth = 40;
            const int filled = static_cast<int>(part * kWidth);
            m_err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                  << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] "
                  << static_cast<int>(part * 100) << "%  " << done << " / " << m_total << " hands"
                  << left << "\033[K" << std::flush;
        }
    }

    double work(std::uint64_t done) const
    {
        return std::pow(static_cast<double>(done) / static_cast<double>(m_total), m_growth);
    }

    // "40 s", "12 min", "3 h 20 min", "41 days": as a person would round it.
    static std::string Duration(double seconds)
    {
        const auto whole = static_cast<std::uint64_t>(std::min(seconds, 1e15));
        if (whole < 100)
            return std::to_string(whole) + " s";
        if (whole < 3600)
            return std::to_string((whole + 30) / 60) + " min";
        if (whole < 2 * 86400)
            return std::to_string(whole / 3600) + " h " + std::to_string(whole % 3600 / 60) +
                   " min";
        return std::to_string(whole / 86400) + " days";
    }

    std::ostream& m_err;
    std::uint64_t m_total;
    const std::atomic<std::uint64_t>& m_done;
    double m_growth;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_told = false; // the estimate is said once
    std::thread m_thread;
};

} // namespace odds
