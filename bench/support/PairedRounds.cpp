#include "bench/support/PairedRounds.h"

#include <algorithm>
#include <cstdio>

double PairedRounds::RunRound(const std::function<double()>& yardstick,
                              const std::function<double(int threads)>& work) {
    double roundSeconds = 0;
    for (int threads : threadCounts_) {
        const double yardstickSeconds = yardstick();
        const double seconds = work(threads);
        yardstickSeconds_.push_back(yardstickSeconds);
        seconds_[threads].push_back(seconds);
        ratios_[threads].push_back(seconds / yardstickSeconds);
        roundSeconds += seconds;
    }
    return roundSeconds;
}

double PairedRounds::Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void PairedRounds::PrintTable(const char* work, const char* yardstick) const {
    std::printf("threads  %s s  %s / bare  (medians of %zu rounds; %s %.2f s)\n", work, work,
                Rounds(), yardstick, MedianYardstick());
    for (int threads : {1, 2, 4})
        std::printf("%7d  %7.2f  %12.3f\n", threads, MedianSeconds(threads), MedianRatio(threads));
    std::printf("4 threads / 2 threads: %.3f (must not exceed 1 on two cores)\n",
                MedianSeconds(4) / MedianSeconds(2));
}
