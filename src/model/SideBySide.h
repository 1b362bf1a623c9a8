#pragma once

// Two independent computations at once: the second on a thread of its own,
// the first on the calling thread. Without a thread to be had, one after the
// other. Neither may throw (an exception on the second thread would end the
// program); each must use data of its own.

#include <system_error>
#include <thread>

template <class First, class Second> void RunSideBySide(const First& first, const Second& second)
{
    std::thread worker;
    try {
        worker = std::thread([&second] { second(); });
    } catch (const std::system_error&) {
    }
    first();
    if (worker.joinable())
        worker.join();
    else
        second();
}
