#pragma once
#include "platform/SystemError.h"

#include <chrono>
#include <optional>
#include <string>

// The kinds of step the file layer takes when it writes a finished file, changes a folder or
// opens a file to read (Move: MoveNoReplace, which may also copy).
enum class FileStep { Create, Write, Rename, Flush, Remove, Move, Open };

// A seam for tests: makes the Nth step of one kind fail as a full disk, a read-only folder or
// a failing device would, or as a file another program holds open. The failing step reports
// the SystemError the system would give. Counting starts at Arm; Disarm stops it. While it
// counts, flushes are counted but not made (no test can observe them, and they would make a
// test of every step slow), and the layer's pauses before a retry only move the seam's own
// clock, so tests of the retry take no time. Programs never arm it, so there it costs one
// atomic load per step.
class FaultInjection {
public:
    // What happens at the armed step.
    class Effect {
    public:
        // The step fails, once.
        static const Effect Fail;
        // The process ends at once instead of taking the step, as after a power cut (for a
        // test's child process).
        static const Effect Crash;
        // The step and the next attempts of its kind fail as a file held open would, until
        // `attempts` have failed.
        static Effect BusyTimes(int attempts);
        // The same for as long as the seam's clock has moved less than `time` since the first
        // failure.
        static Effect BusyFor(std::chrono::milliseconds time);

        bool operator==(const Effect&) const = default;

    private:
        enum class Kind { Fail, Crash, BusyTimes, BusyFor };
        constexpr Effect(Kind kind, long long amount) : kind_(kind), amount_(amount) {}
        friend class FaultInjection;

        Kind kind_;
        long long amount_;
    };

    // Acts on the nth (1-based) step of this kind from now on. Other kinds are counted.
    static void Arm(FileStep step, int nth, Effect effect = Effect::Fail);
    // Counts steps of every kind from now on, failing none (to learn how many there are).
    static void Count();
    static void Disarm();
    // Steps of this kind taken since Arm or Count (each attempt of a retried step counts).
    static int Taken(FileStep step);
    // The failure the step about to be taken must report, or nothing; call and path are those
    // of the system call the step stands for.
    static std::optional<SystemError> Fault(FileStep step, const char* call,
                                            const std::string& path);
    // True while armed or counting.
    static bool Active();
    // Waits before a retry: sleeps, or while the seam is active moves its clock instead.
    static void Pause(std::chrono::milliseconds pause);
    // How far the seam's clock has moved since Arm or Count.
    static std::chrono::milliseconds Elapsed();
};
