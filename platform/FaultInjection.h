#pragma once
#include <atomic>

// The kinds of step the file layer takes when it writes a finished file or changes a folder.
enum class FileStep { Create, Write, Rename, Flush };

// A seam for tests: makes the Nth step of one kind fail as a full disk, a read-only folder or
// a failing device would (the step reports failure with errno set). Counting starts at Arm;
// Disarm stops it. While it counts, flushes are counted but not made: no test can observe
// them, and they would make a test of every step slow. Programs never arm it, so there it
// costs one atomic load per step.
class FaultInjection {
public:
    // Fail: the step fails, once. Crash: the process ends at once instead of taking the step,
    // as after a power cut (for a test's child process).
    enum class Effect { Fail, Crash };

    // Acts on the nth (1-based) step of this kind from now on. Other kinds are counted.
    static void Arm(FileStep step, int nth, Effect effect = Effect::Fail);
    // Counts steps of every kind from now on, failing none (to learn how many there are).
    static void Count();
    static void Disarm();
    // Steps of this kind taken since Arm or Count.
    static int Taken(FileStep step);
    // True when the step the caller is about to take must fail; errno is then set.
    static bool ShouldFail(FileStep step);
    // True while armed or counting.
    static bool Active();
};
