#pragma once
// One piece of work run on several threads at once.

#include <thread>
#include <vector>

namespace vardel {

// Runs a copy of work on the calling thread and on threads - 1 more threads
// at the same time; returns when every run has finished. The runs share
// state only through what work captures by reference. Never fails by
// itself; work must not throw.
template <class Work>
void RunOnThreads(int threads, const Work& work)
{
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i)
        helpers.emplace_back(work);
    work();
    for (auto& t : helpers)
        t.join();
}

}  // namespace vardel
