#pragma once

#include "IiUI.h"
#include "classification/JxExCancel.h"

#include <string>
#include <vector>

namespace zqtest {

/// A progress interface that keeps every report and, once asked to, cancels at the next one.
class RecordingUI : public Corvel::utility::IiUI {
public:
    std::vector<float> fractions;
    std::vector<std::string> messages;
    bool cancel = false;

    void progress(float fraction, const std::string& message) override {
        fractions.push_back(fraction);
        messages.push_back(message);
        if (cancel)
            throw JxExCancel();
    }
    void forget() {
        fractions.clear();
        messages.clear();
    }
};

}  // namespace zqtest
