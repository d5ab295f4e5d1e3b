#pragma once

#include <sys/types.h>

#include <string>

/// An X server of its own for a test: Xvfb on the first free display, ended with the object.
class XvfbDisplay {
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    /// The value for DISPLAY (":N"); empty when the server could not be started.
    const std::string& name() const { return name_; }
    /// Why the server is missing, when it is.
    const std::string& problem() const { return problem_; }

private:
    pid_t pid_ = -1;
    std::string name_;
    std::string problem_;
};
