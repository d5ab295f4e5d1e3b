#pragma once

#include "classification/JxInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace sessiontest {

/// A caller-owned four-channel 8-bit image, every pixel opaque unless cleared.
struct RgbaImage {
    RgbaImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 4, 255) {}

    JxImage image() {
        return JxImage{width, height, width * 4, JxFormatRgba8, pixels.data()};
    }
    /// Alpha 0 makes the pixel's status 0 in a status image made from this image.
    void makeTransparent(int x, int y) { pixels[(static_cast<size_t>(y) * width + x) * 4 + 3] = 0; }

    int width;
    int height;
    std::vector<unsigned char> pixels;
};

/// A caller's JxSelection over its own bytes (statuses for JxSetStatus, or a mask).
struct Bytes {
    Bytes(int x0, int y0, int w, int h, std::vector<unsigned char> values)
        : x(x0), y(y0), width(w), height(h), data(std::move(values)) {}

    JxSelection selection() const {
        return JxSelection{x, y, width, height, width, 0, data.data()};
    }

    int x, y, width, height;
    std::vector<unsigned char> data;
};

/// An engine with a status image and a top session over an image of the given size; every
/// status starts at 1.
class Engine {
public:
    Engine(int width, int height, std::vector<std::pair<int, int>> transparent = {})
        : rgba(width, height) {
        for (const auto& [x, y] : transparent)
            rgba.makeTransparent(x, y);
        engine = JxInit();
        status = JxNewImage(engine, rgba.image());
        session = JxBeginSession(engine, rgba.image(), nullptr);
    }
    ~Engine() { JxFinish(engine); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    bool ready() const { return engine && status && session; }

    unsigned char at(int x, int y) const {
        return status->data[static_cast<size_t>(y) * status->stride + x];
    }
    std::vector<unsigned char> row(int y) const {
        std::vector<unsigned char> values;
        for (int x = 0; x < status->width; ++x)
            values.push_back(at(x, y));
        return values;
    }
    std::vector<unsigned char> all() const {
        std::vector<unsigned char> values;
        for (int y = 0; y < status->height; ++y)
            for (int x = 0; x < status->width; ++x)
                values.push_back(at(x, y));
        return values;
    }

    int setStatus(JxSession* target, const Bytes& statuses, JxProgressCallback progress = nullptr) {
        const JxSelection selection = statuses.selection();
        return JxSetStatus(target, status, &selection, progress);
    }
    int setStatus(const Bytes& statuses, JxProgressCallback progress = nullptr) {
        return setStatus(session, statuses, progress);
    }

    std::uint32_t undos(JxSession* target = nullptr) const {
        std::uint32_t count = 12345;
        EXPECT_EQ(JxNumAvailableUndos(target ? target : session, &count), JxOk);
        return count;
    }
    std::uint32_t redos(JxSession* target = nullptr) const {
        std::uint32_t count = 12345;
        EXPECT_EQ(JxNumAvailableRedos(target ? target : session, &count), JxOk);
        return count;
    }

    RgbaImage rgba;
    JxEngine* engine = nullptr;
    JxImage* status = nullptr;
    JxSession* session = nullptr;
};

/// The changed rectangle a session published, as (x, y, width, height).
inline std::vector<int> changed(const JxSession* session) {
    return {session->changedX, session->changedY, session->changedWidth, session->changedHeight};
}

/// A callback that asks every delivered report to stop.
inline std::int32_t cancelAlways(std::uint8_t, std::int32_t) { return 2; }

}  // namespace sessiontest
