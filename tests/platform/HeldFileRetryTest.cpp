#include "platform/HeldFileRetry.h"
#include "platform/FaultInjection.h"
#include "platform/FileOps.h"
#include "platform/FileSteps.h"
#include "platform/InputFile.h"
#include "platform/SafeFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using namespace std::chrono_literals;

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : ListFolder(folder))
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

// One operation on a file that another program may hold for a moment, with the fault seam's
// step it takes and the folder as it must be before and after it succeeds.
struct HeldCase {
    const char* what;
    FileStep step;
    std::function<FileResult(const TempFolder&)> run;
    std::vector<std::string> before;
    std::vector<std::string> after;
};

FileResult Replace(const TempFolder& temp) {
    SafeFile file(temp.file("music.rfa"));
    if (file.Write("new") && file.Commit())
        return {};
    return file.Error();
}

FileResult Open(const TempFolder& temp) {
    InputFile file;
    if (file.Open(temp.file("music.rfa")))
        return {};
    return file.Error();
}

const HeldCase kCases[] = {
    {"replace", FileStep::Rename, Replace, {"music.rfa"}, {"music.rfa"}},
    {"rename refusing",
     FileStep::Rename,
     [](const TempFolder& t) { return RenameRefusing(t.file("music.rfa"), t.file("moved")); },
     {"music.rfa"},
     {"moved"}},
    {"remove",
     FileStep::Remove,
     [](const TempFolder& t) { return RemoveFile(t.file("music.rfa")); },
     {"music.rfa"},
     {}},
    {"move",
     FileStep::Move,
     [](const TempFolder& t) { return MoveNoReplace(t.file("music.rfa"), t.file("moved")); },
     {"music.rfa"},
     {"moved"}},
    {"open", FileStep::Open, Open, {"music.rfa"}, {"music.rfa"}},
};

class HeldFileRetryTest : public ::testing::TestWithParam<HeldCase> {
protected:
    void SetUp() override { WriteFileBytes(temp.file("music.rfa"), "old"); }
    void TearDown() override { FaultInjection::Disarm(); }

    // Runs the operation while the seam holds the file for `held`; the pauses between attempts
    // move the seam's clock only.
    FileResult RunHeldFor(std::chrono::milliseconds held) {
        FaultInjection::Arm(GetParam().step, 1, FaultInjection::Effect::BusyFor(held));
        const FileResult result = GetParam().run(temp);
        elapsed = FaultInjection::Elapsed();
        attempts = FaultInjection::Taken(GetParam().step);
        FaultInjection::Disarm();
        return result;
    }

    TempFolder temp;
    std::chrono::milliseconds elapsed{0};
    int attempts = 0;
};

// Held for 300 ms: tried after 25, 50, 100 and 200 ms, and done at the fifth attempt.
TEST_P(HeldFileRetryTest, AFileHeldForAMomentIsTakenOnceLetGo) {
    EXPECT_TRUE(RunHeldFor(300ms));
    EXPECT_EQ(elapsed, 375ms);
    EXPECT_EQ(attempts, 5);
    EXPECT_EQ(Names(temp.path()), GetParam().after);
}

// Held for 5 s: tried for the whole budget (8 attempts over 2 s), then reported as held, and
// nothing changed meanwhile.
TEST_P(HeldFileRetryTest, AFileHeldLongerFailsAsBusyAfterTheBudgetAndNothingChanges) {
    const FileResult result = RunHeldFor(5000ms);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.Kind(), FileFailure::Busy);
    EXPECT_NE(result.Error().Describe().find(temp.file("")), std::string::npos)
        << result.Error().Describe();
    EXPECT_EQ(elapsed, kHeldFileBudget);
    EXPECT_EQ(attempts, 8);
    EXPECT_EQ(Names(temp.path()), GetParam().before);
    EXPECT_EQ(ReadFileBytes(temp.file("music.rfa")), "old");
}

INSTANTIATE_TEST_SUITE_P(Operations, HeldFileRetryTest, ::testing::ValuesIn(kCases),
                         [](const auto& tested) {
                             std::string name = tested.param.what;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

TEST(HeldFileRetry, StopsAtTheFirstErrorThatDoesNotClearAndCountsAttempts) {
    int calls = 0;
    const FileResult missing = RetryWhileHeld([&]() -> FileResult {
        ++calls;
        return SystemError::OfKind(FileFailure::Missing, "open", "x");
    });
    EXPECT_EQ(missing.Kind(), FileFailure::Missing);
    EXPECT_EQ(calls, 1);
    TempFolder temp;
    WriteFileBytes(temp.file("a"), "a");
    FaultInjection::Arm(FileStep::Remove, 1, FaultInjection::Effect::BusyTimes(3));
    EXPECT_TRUE(RemoveFile(temp.file("a")));
    EXPECT_EQ(FaultInjection::Taken(FileStep::Remove), 4);
    EXPECT_EQ(FaultInjection::Elapsed(), 175ms);
    FaultInjection::Disarm();
}

} // namespace
