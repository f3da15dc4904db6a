#pragma once
#include <cstddef>
#include <functional>
#include <map>
#include <vector>

// Times a piece of work at several thread counts, each run right after a run of a yardstick,
// in rounds: each run is compared with a yardstick run under the same conditions (other
// guests on the host, the disk's state), and the host's slow drifts weigh on every thread
// count alike. Medians, since on a shared host a round now and then runs slow as a whole.
class PairedRounds {
public:
    explicit PairedRounds(std::vector<int> threadCounts) : threadCounts_(std::move(threadCounts)) {}

    // One round: for each thread count, yardstick() then work(threads), both returning
    // seconds. Returns the seconds of the work in this round.
    double RunRound(const std::function<double()>& yardstick,
                    const std::function<double(int threads)>& work);

    std::size_t Rounds() const { return yardstickSeconds_.size() / threadCounts_.size(); }
    double MedianSeconds(int threads) const { return Median(seconds_.at(threads)); }
    // Of the work's time over the yardstick run just before it.
    double MedianRatio(int threads) const { return Median(ratios_.at(threads)); }
    double MedianYardstick() const { return Median(yardstickSeconds_); }

    // The table of medians at 1, 2 and 4 threads, and how 4 threads compare with 2. work and
    // yardstick name them in the table's head ("apply", "bare decode and two copies").
    void PrintTable(const char* work, const char* yardstick) const;

private:
    static double Median(std::vector<double> values);

    std::vector<int> threadCounts_;
    std::map<int, std::vector<double>> seconds_, ratios_;
    std::vector<double> yardstickSeconds_;
};
