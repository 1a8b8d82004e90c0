#pragma once
// Benchmark start-up shared by the programs that print ratios between
// benchmarks of one run.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace vardel::bench {

// benchmark::Initialize with three repetitions in random order unless the
// command line says otherwise (its flags come later and win): a burst of
// other load on a shared machine then slows one repetition of one
// benchmark, not every repetition of it. The ratios use the fastest.
inline void InitializeWithRepetitions(int argc, char** argv)
{
    static std::string repetitions = "--benchmark_repetitions=3";
    static std::string interleaving = "--benchmark_enable_random_interleaving=true";
    static std::vector<char*> args;
    args.assign(argv, argv + argc);
    args.insert(args.begin() + 1, {repetitions.data(), interleaving.data()});
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
}

}  // namespace vardel::bench
