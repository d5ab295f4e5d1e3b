#include "classification/ProgressRange.h"

ProgressRange::ProgressRange(Corvel::utility::IiUI* reporter) : ui(reporter) {
    if (ui)
        ui->progress(from, std::string());
}

void ProgressRange::report(float t, const std::string& message) {
    last = t;
    if (ui)
        ui->progress(at(t), message);
}

ProgressRange ProgressRange::subRange(float t) {
    ProgressRange child(ui, at(last), at(t));
    last = t;
    return child;
}
