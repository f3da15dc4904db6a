// The one reader of small state files, against every kind of thing a hostile folder can hold
// at the name: none may hang it, and only a regular file within the cap is read.
#include "platform/SmallFileReader.h"
#include "tests/support/MakeLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using Links = SmallFileReader::Links;

struct ReaderCase {
    std::string label;
    std::function<void(const TempFolder&, const std::string& path)> make;
    Links links;
    std::optional<std::string> expected;
};

void PrintTo(const ReaderCase& readerCase, std::ostream* out) {
    *out << readerCase.label;
}

class SmallFileReaderTest : public ::testing::TestWithParam<ReaderCase> {};

constexpr std::size_t kCap = 8;

TEST_P(SmallFileReaderTest, ReadsOnlyARegularFileWithinTheCap) {
    TempFolder temp;
    const std::string path = temp.file("state");
    GetParam().make(temp, path);
    ASSERT_FALSE(HasFatalFailure());
    if (IsSkipped())
        return;
    EXPECT_EQ(SmallFileReader::Read(path, kCap, GetParam().links), GetParam().expected);
}

void Bytes(const TempFolder&, const std::string& path, const std::string& bytes) {
    WriteFileBytes(path, bytes);
}

auto File(const std::string& bytes) {
    return [bytes](const TempFolder& temp, const std::string& path) { Bytes(temp, path, bytes); };
}

void LinkToFile(const TempFolder& temp, const std::string& path) {
    WriteFileBytes(temp.file("real"), "abc");
    REQUIRE_LINK(MakeSymbolicLink(temp.file("real"), path));
}

// Windows has neither in its folders; its pipes and devices have their own case there
// (windows/DeviceNamesTest.cpp).
#ifndef _WIN32
void Pipe(const TempFolder&, const std::string& path) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
}

// A node like /dev/null, made as root only; otherwise a link to /dev/zero, read through.
void Device(const TempFolder&, const std::string& path) {
    if (::geteuid() == 0)
        ASSERT_EQ(::mknod(path.c_str(), S_IFCHR | 0644, makedev(1, 5)), 0);
    else
        ASSERT_TRUE(MakeSymbolicLink("/dev/zero", path));
}
#endif

std::vector<ReaderCase> Cases() {
    return {
        ReaderCase{"Regular", File("abc"), Links::Refuse, "abc"},
        ReaderCase{"Empty", File(""), Links::Refuse, ""},
        ReaderCase{"ExactlyTheCap", File("12345678"), Links::Refuse, "12345678"},
        ReaderCase{"OneByteOverTheCap", File("123456789"), Links::Refuse, std::nullopt},
        ReaderCase{"Missing", [](auto&, auto&) {}, Links::Follow, std::nullopt},
        ReaderCase{"LinkRefused", LinkToFile, Links::Refuse, std::nullopt},
        ReaderCase{"LinkFollowed", LinkToFile, Links::Follow, "abc"},
        ReaderCase{"Folder", [](auto&, auto& path) { fs::create_directory(path); }, Links::Follow,
                   std::nullopt},
#ifndef _WIN32
        ReaderCase{"Pipe", Pipe, Links::Follow, std::nullopt},
        ReaderCase{"Device", Device, Links::Follow, std::nullopt},
#endif
    };
}

INSTANTIATE_TEST_SUITE_P(Kinds, SmallFileReaderTest, ::testing::ValuesIn(Cases()),
                         [](const auto& param) { return param.param.label; });

TEST(SmallFileReader, EmptyPathNamesNothing) {
    EXPECT_EQ(SmallFileReader::Read("", kCap), std::nullopt);
}

} // namespace
