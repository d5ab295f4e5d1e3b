#include "shell/ProgramEntry.h"
#include "shell/TqApp.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ChoiceCase {
    std::vector<const char*> arguments;   // after the program's name
    bool aboutBoxOnly;
    int runMode;
};

class RunModeChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(RunModeChoice, OnlyTheExactCountAndSpellingCount) {
    std::vector<const char*> argv{"zolquist"};
    argv.insert(argv.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    const RunChoice choice = chooseRunMode(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(choice.aboutBoxOnly, GetParam().aboutBoxOnly);
    EXPECT_EQ(choice.runMode, GetParam().runMode);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, RunModeChoice,
    ::testing::Values(
        ChoiceCase{{}, false, TqApp::StandAlone},
        ChoiceCase{{"--about"}, true, TqApp::StandAlone},
        ChoiceCase{{"--about", "x"}, false, TqApp::StandAlone},
        ChoiceCase{{"--About"}, false, TqApp::StandAlone},
        ChoiceCase{{"--about "}, false, TqApp::StandAlone},
        ChoiceCase{{"photo.jpg"}, false, TqApp::StandAlone},
        ChoiceCase{{"--gp", "1c", "20", "64", "48", "8", "little", "name"}, false,
                   TqApp::HostSharedMemory},
        ChoiceCase{{"--gp", "1c", "20", "64", "48", "8", "little"}, false, TqApp::StandAlone},
        ChoiceCase{{"--gp", "1c", "20", "64", "48", "8", "little", "name", "x"}, false,
                   TqApp::StandAlone},
        ChoiceCase{{"--GP", "1c", "20", "64", "48", "8", "little", "name"}, false,
                   TqApp::StandAlone},
        ChoiceCase{{"--xmlgp", "control.btqx"}, false, TqApp::HostControlFile},
        ChoiceCase{{"--xmlgp"}, false, TqApp::StandAlone},
        ChoiceCase{{"--xmlgp", "a", "b"}, false, TqApp::StandAlone}));

}  // namespace
