#include "widgets/FileDialogRules.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

namespace {

struct FilterCase {
    const char* windowsForm;
    const char* qtForm;
};

class QtNameFiltersTest : public testing::TestWithParam<FilterCase> {};

TEST_P(QtNameFiltersTest, ConvertsPairsToQtForm) {
    EXPECT_EQ(QtNameFilters(GetParam().windowsForm), GetParam().qtForm);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, QtNameFiltersTest,
    testing::Values(FilterCase{"Music Pack (*.velk)|*.velk||", "Music Pack (*.velk)"},
                    FilterCase{"Project (*.velkp)|*.velkp|All Files (*.*)|*.*||",
                               "Project (*.velkp);;All Files (*)"},
                    FilterCase{"Sound|*.wav;*.aif||", "Sound (*.wav *.aif)"},
                    FilterCase{"Sound (*.wav; *.aif)|*.wav;*.aif||", "Sound (*.wav *.aif)"},
                    // The shown list differs from the real one: Qt must see the real one last.
                    FilterCase{"Wave (*.wav)|*.wav;*.aif||", "Wave (*.wav) (*.wav *.aif)"},
                    FilterCase{"Name (*.ext)|*.ext", "Name (*.ext)"}, FilterCase{"", ""},
                    FilterCase{"Orphan description|", ""}, FilterCase{"No pattern||", ""},
                    FilterCase{"A|*.a||B|*.b||", "A (*.a)"},
                    FilterCase{"Empty|;|B|*.b||", "B (*.b)"}),
    [](const auto& tested) { return TestName(tested.param.windowsForm); });

struct ExtensionCase {
    const char* path;
    const char* extension;
    const char* expected;
};

class DefaultExtensionTest : public testing::TestWithParam<ExtensionCase> {};

TEST_P(DefaultExtensionTest, AddsExtensionOnlyToBareNames) {
    const ExtensionCase& c = GetParam();
    EXPECT_EQ(WithDefaultExtension(c.path, c.extension), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DefaultExtensionTest,
    testing::Values(ExtensionCase{"/tmp/pack", "velk", "/tmp/pack.velk"},
                    ExtensionCase{"/tmp/pack", ".velk", "/tmp/pack.velk"},
                    ExtensionCase{"pack", "velkp", "pack.velkp"},
                    ExtensionCase{"/tmp/pack.velk", "velk", "/tmp/pack.velk"},
                    ExtensionCase{"/tmp/my.pack", "velk", "/tmp/my.pack"},
                    ExtensionCase{"/tmp/dir.d/pack", "velk", "/tmp/dir.d/pack.velk"},
                    // Windows paths come back from Qt with the system's separator.
                    ExtensionCase{"C:\\Users\\zo.e\\pack", "velk", "C:\\Users\\zo.e\\pack.velk"},
                    ExtensionCase{"/tmp/pack", "", "/tmp/pack"},
                    ExtensionCase{"/tmp/pack", ".", "/tmp/pack"}, ExtensionCase{"", "velk", ""},
                    ExtensionCase{"/tmp/", "velk", "/tmp/"}),
    [](const auto& tested) {
        // Spelled out, so that "velk", ".velk" and "." give different names.
        std::string extension = tested.param.extension;
        if (!extension.empty() && extension[0] == '.')
            extension = "dot " + extension.substr(1);
        return TestName(std::string(tested.param.path) + " with " +
                        (extension.empty() ? "nothing" : extension));
    });

} // namespace
