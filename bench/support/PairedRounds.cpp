#include "bench/support/PairedRounds.h"

#include <algorithm>

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
