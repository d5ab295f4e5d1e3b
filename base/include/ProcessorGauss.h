#pragma once

#include "AbortableThread.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace Corvel {

/// Four-byte-per-pixel image memory the processor reads or writes; not owned.
struct PixelBuffer {
    std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;   ///< bytes from one row to the next
};

/// Separable Gaussian smoothing of a four-channel 8-bit image on its own thread; each channel
/// (alpha included) is filtered on its own, unpremultiplied. Near a border the kernel is cut
/// and renormalised by the weights that remain. The destination must hold the unfiltered
/// picture already: an aborted run, a run out of memory, a radius that does not fit and a
/// buffer that fails `isUsable` all leave it as it was. The template parameters say which of
/// the four channels are filtered.
template <int C0, int C1, int C2, int C3>
class ProcessorGauss : public AbortableThread {
public:
    ProcessorGauss(PixelBuffer destination, PixelBuffer source, float sigma)
        : destination_(destination), source_(source), sigma_(sigma) {}
    ~ProcessorGauss() override { join(); }

    /// Whether both buffers are non-null, of the same positive size, with strides of at least
    /// four bytes per pixel, and sigma is finite and positive.
    bool isUsable() const {
        auto fits = [](const PixelBuffer& b) {
            return b.data && b.width > 0 && b.height > 0 && b.stride / 4 >= b.width;
        };
        return fits(destination_) && fits(source_) && destination_.width == source_.width &&
               destination_.height == source_.height && std::isfinite(sigma_) && sigma_ > 0;
    }
    /// The kernel radius for `sigma`: the ceiling of 3 sigma taken in single precision.
    static int radiusFor(float sigma) { return int(std::ceil(3.0f * sigma)); }
    /// The normalised kernel of 2r + 1 weights, proportional to exp(-i^2 / (8 sigma^2)).
    static std::vector<double> kernelFor(float sigma) {
        const int r = radiusFor(sigma);
        const double s = sigma;
        constexpr double pi = 3.14159265358979323846;
        const double n = std::pow(1.0 / (2.0 * pi * s * s), 0.25);
        std::vector<double> weights(2 * r + 1);
        double sum = 0;
        for (int i = -r; i <= r; ++i)
            sum += weights[i + r] = n * std::exp(-0.5 * i * i / (4.0 * s * s));
        for (double& w : weights)
            w /= sum;
        return weights;
    }

protected:
    void run() override {
        try {
            filter();
        } catch (const std::bad_alloc&) {
            // The destination keeps the unfiltered picture.
        }
    }

private:
    static constexpr bool filtered(int channel) {
        return (channel == 0 ? C0 : channel == 1 ? C1 : channel == 2 ? C2 : C3) != 0;
    }

    void filter() {
        if (!isUsable())
            return;
        const int r = radiusFor(sigma_);
        const int w = source_.width, h = source_.height;
        if (r + 1 > w || r + 1 > h)
            return;
        const std::vector<double> kernel = kernelFor(sigma_);
        if (aborted())
            return;
        double total = 0;
        for (double k : kernel)
            total += k;
        // factor(j) renormalises a pixel j places from an end, where only -j..r fall inside.
        std::vector<double> factor(r + 1);
        for (int j = 0; j <= r; ++j) {
            double inside = 0;
            for (int i = -j; i <= r; ++i)
                inside += kernel[i + r];
            factor[j] = total / inside;
        }
        const std::size_t count = std::size_t(w) * h * 4;
        std::vector<double> first(count), second(count);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w * 4; ++x)
                first[(std::size_t(y) * w) * 4 + x] = source_.data[y * source_.stride + x];

        for (int y = 0; y < h; ++y) {
            if (aborted())
                return;
            pass(&first[std::size_t(y) * w * 4], &second[std::size_t(y) * w * 4], w, 4, kernel,
                 factor, r);
        }
        for (int x = 0; x < w; ++x) {
            if (aborted())
                return;
            pass(&second[std::size_t(x) * 4], &first[std::size_t(x) * 4], h, std::size_t(w) * 4,
                 kernel, factor, r);
        }
        second = std::vector<double>();
        if (aborted())
            return;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c) {
                    if (!filtered(c))
                        continue;
                    // Both border factors meet on short sides; keep the value a byte.
                    const double v = std::clamp(first[(std::size_t(y) * w + x) * 4 + c], 0.0,
                                                255.0);
                    destination_.data[y * destination_.stride + x * 4 + c] = std::uint8_t(v);
                }
    }

    /// One line of `n` pixels, `step` doubles apart, convolved from `in` into `out`.
    static void pass(const double* in, double* out, int n, std::size_t step,
                     const std::vector<double>& kernel, const std::vector<double>& factor,
                     int r) {
        for (int p = 0; p < n; ++p) {
            double sum[4] = {0, 0, 0, 0};
            const int lo = std::max(-r, p - (n - 1)), hi = std::min(r, p);
            for (int i = lo; i <= hi; ++i) {
                const double* px = in + std::size_t(p - i) * step;
                const double k = kernel[i + r];
                for (int c = 0; c < 4; ++c)
                    sum[c] += px[c] * k;
            }
            double f = 1.0;
            if (p <= r)
                f *= factor[p];
            if (p >= n - 1 - r)
                f *= factor[n - 1 - p];
            double* o = out + std::size_t(p) * step;
            for (int c = 0; c < 4; ++c)
                o[c] = sum[c] * f;
        }
    }

    PixelBuffer destination_;
    PixelBuffer source_;
    float sigma_;
};

}  // namespace Corvel
