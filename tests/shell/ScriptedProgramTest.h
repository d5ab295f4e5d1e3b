#pragma once
// Runs of the real program that play a user's session from a script of driver steps (the
// steps are described in ProgramScript.cpp).
#include "ProgramFixture.h"

#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace zqtest {

/// The steps of `parts`, one after the other.
inline std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class ScriptedProgramTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // A user's session reaches no web site.
        installWithoutWebChecks();
    }

    /// Starts the program on `arguments` playing `steps`.
    std::unique_ptr<ProgramProcess> startPlaying(const std::vector<std::string>& arguments,
                                                 const std::vector<std::string>& steps) {
        steps_ = steps;
        const std::string script = file("script-" + std::to_string(runs_ + 1) + ".txt");
        std::ofstream out(script);
        for (const std::string& step : steps)
            out << step << '\n';
        out.close();
        extraEnvironment_["ZQTEST_SCRIPT"] = script;
        return start(arguments, "script");
    }

    /// Waits for the program to end; keeps its standard error.
    ProgramProcess::Result finish(ProgramProcess& process) {
        const ProgramProcess::Result result = process.wait();
        standardError_ = process.standardError();
        return result;
    }

    /// Runs the program on `arguments` playing `steps` until it ends; keeps its standard error.
    ProgramProcess::Result play(const std::vector<std::string>& arguments,
                                const std::vector<std::string>& steps) {
        return finish(*startPlaying(arguments, steps));
    }

    std::string file(const std::string& name) const { return root_ + "/" + name; }

    /// The program played its whole script, closed normally and reported no memory fault.
    void expectRanToTheEnd(const ProgramProcess::Result& result) const {
        EXPECT_TRUE(result.exited) << "signal " << result.signal << "\n" << standardError_;
        EXPECT_EQ(result.exitCode, 0) << standardError_;
        // The window closes with the last step, before the script could say it has finished.
        const std::string last = "zqtest: done " + std::to_string(steps_.size()) + "\n";
        EXPECT_NE(standardError_.find(last), std::string::npos) << standardError_;
        EXPECT_EQ(standardError_.find("Sanitizer"), std::string::npos) << standardError_;
    }

    /// The steps of the last run started.
    std::vector<std::string> steps_;
};

}  // namespace zqtest
