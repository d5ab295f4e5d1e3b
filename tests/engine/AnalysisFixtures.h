#pragma once

#include "EngineTestSupport.h"
#include "SessionTestImages.h"

#include "classification/JxInSession.h"
#include "classification/JxProgressClock.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

namespace analysistest {

/// A disc of one colour on a background of another, with a faint deterministic texture so
/// that no two neighbouring pixels are exactly alike.
inline void paintDisc(sessiontest::RgbaImage& image, double centreX, double centreY, double radius,
                      const unsigned char inside[3], const unsigned char outside[3]) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const double dx = x + 0.5 - centreX;
            const double dy = y + 0.5 - centreY;
            const bool in = dx * dx + dy * dy <= radius * radius;
            const unsigned char* colour = in ? inside : outside;
            const int grain = ((x * 7 + y * 13) % 5) - 2;
            unsigned char* pixel = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
            for (int c = 0; c < 3; ++c)
                pixel[c] = static_cast<unsigned char>(std::min(255, std::max(0, colour[c] + grain)));
            pixel[3] = 255;
        }
}

/// The engine behind a session handle, for the engine-internal checks of the tests.
inline classification::IiClassification& classificationOf(JxSession* session) {
    return JxInSession::fromHandle(session)->classification();
}

/// A progress clock that moves one second at every reading, so every report is delivered.
/// Atomic, like the callback's counters: a report from a thread other than the caller's, the
/// fault the tests look for, must not be a data race of the test itself.
class RacingClock {
public:
    RacingClock() : previous_(JxProgressClock::setSource(&RacingClock::read)) {}
    ~RacingClock() { JxProgressClock::setSource(previous_); }
    RacingClock(const RacingClock&) = delete;
    RacingClock& operator=(const RacingClock&) = delete;

private:
    static JxProgressClock::TimePoint read() {
        return JxProgressClock::TimePoint(std::chrono::seconds(++seconds_));
    }
    static inline std::atomic<long long> seconds_{0};
    JxProgressClock::Source previous_;
};

/// A callback that counts deliveries and asks to stop at delivery `cancelAt` (0: never).
struct CancelAt {
    static inline std::atomic<int> delivered{0};
    static inline std::atomic<int> cancelAt{0};
    static void reset(int at) {
        delivered = 0;
        cancelAt = at;
    }
    static std::int32_t callback(std::uint8_t, std::int32_t) {
        return ++delivered == cancelAt ? 2 : 0;
    }
};

/// The published polylines of a session, as (x, y) pairs per polyline.
inline std::vector<std::vector<float>> polylinesOf(const JxSession* session) {
    std::vector<std::vector<float>> result;
    for (int k = 0; k < session->polylineCount; ++k) {
        const PublishedPolyline& line = session->polylines[k];
        result.emplace_back(line.points, line.points + 2 * line.count);
    }
    return result;
}

/// Sets a variable to the normalised value of `value` on its own scale [low, high].
inline int setVariable(JxSession* session, const char* name, float value, float low, float high) {
    return JxSetVariable(session, name, (value - low) / (high - low));
}

}  // namespace analysistest
