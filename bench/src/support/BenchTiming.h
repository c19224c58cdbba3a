#pragma once
// Timing for the window benchmarks: each figure is the median of a few runs, so one run slowed
// by the machine does not move it.

#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

inline double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The time work takes, in milliseconds.
template <class Work>
double Time(Work work)
{
    LARGE_INTEGER from, to;
    ::QueryPerformanceCounter(&from);
    work();
    ::QueryPerformanceCounter(&to);
    return Milliseconds(from, to);
}

// Handles every message waiting, so the next run starts with the window at rest.
inline void Pump()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

} // namespace bench
