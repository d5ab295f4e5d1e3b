#pragma once

#include "classification/IntBox.h"
#include "classification/ProgressMessage.h"
#include "classification/ProgressRange.h"
#include "morphology/BoxArithmetic.h"

#include <blitz/array.h>

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace morphology {

/// 1 when either mask element is set: the dilation of 0/1 masks.
struct DilateMask {
    void operator()(int& result, int a, int b) const { result = (a != 0 || b != 0) ? 1 : 0; }
};

struct RunningMaximum {
    void operator()(unsigned char& result, unsigned char a, unsigned char b) const {
        result = std::max(a, b);
    }
};

struct RunningMinimum {
    void operator()(unsigned char& result, unsigned char a, unsigned char b) const {
        result = std::min(a, b);
    }
};

/// A window of `length` elements whose output lands `originX`, `originY` positions away from
/// the window's last element: with origin -length / 2 on the window's axis and an odd length
/// the window is centred on its output.
struct LineWindow {
    int length = 1;
    int originX = 0;
    int originY = 0;
};

/// Combines, along the first index of `source`, every run of `windowLength` consecutive
/// elements with the associative operation `combine(result, a, b)` and writes the result at
/// the run's last position: output(x, y) = source(x - L + 1, y) ⊕ ... ⊕ source(x, y). Returns
/// the box written, (x0 + L - 1, y0)-(x1, y1) of the source domain; nothing is written when
/// that box is empty. Each line costs three operations per element whatever the length: the
/// line is cut into blocks of L, running combinations restart at every block start (forward)
/// and end (backward), and a window is one backward and one forward value.
///
/// The output may be the source itself (or share its storage): every line is read whole before
/// any of its results is written. Throws std::invalid_argument for a length below 1 and
/// std::out_of_range when the output does not hold the result box.
template <typename T, typename Combine>
IntBox convolveLineFast(const blitz::Array<T, 2>& source, int windowLength, const Combine& combine,
                        blitz::Array<T, 2> output, ProgressRange progress) {
    if (windowLength < 1)
        throw std::invalid_argument("line window length below 1");
    const int x0 = source.lbound(0), x1 = source.ubound(0);
    const int y0 = source.lbound(1), y1 = source.ubound(1);
    const IntBox window = classification::extentBox(windowLength);
    const IntBox result = fitBox(IntBox::domainOf(source), window);
    if (classification::isBoxEmpty(result))
        return result;
    if (!IntBox::domainOf(output).contains(result))
        throw std::out_of_range("line convolution output does not hold the result box");

    const int length = windowLength;
    const int count = x1 - x0 + 1;
    std::vector<T> forward(static_cast<std::size_t>(count));
    std::vector<T> backward(static_cast<std::size_t>(count));
    const std::ptrdiff_t sourceStep = source.stride(0);
    const std::ptrdiff_t outputStep = output.stride(0);
    for (int y = y0; y <= y1; ++y) {
        const T* line = &source(x0, y);
        int inBlock = 0;   // position of k inside its block
        forward[0] = line[0];
        for (int k = 1; k < count; ++k) {
            if (++inBlock == length)
                inBlock = 0;
            if (inBlock == 0)
                forward[k] = line[k * sourceStep];
            else
                combine(forward[k], forward[k - 1], line[k * sourceStep]);
        }
        backward[count - 1] = line[(count - 1) * sourceStep];
        for (int k = count - 2; k >= 0; --k) {
            if ((k + 1) % length == 0)
                backward[k] = line[k * sourceStep];
            else
                combine(backward[k], line[k * sourceStep], backward[k + 1]);
        }
        T* out = &output(x0 + length - 1, y);
        inBlock = 0;
        for (int k = 0; k <= count - length; ++k, ++inBlock) {
            if (inBlock == length)
                inBlock = 0;
            if (inBlock == 0)
                out[k * outputStep] = backward[k];
            else
                combine(out[k * outputStep], backward[k], forward[k + length - 1]);
        }
        if ((y & 127) == 0 && progress.ui) {
            const float t = static_cast<float>(y - y0 + 1) / static_cast<float>(y1 - y0 + 1);
            progress.report(t, classification::progressMessage("morphology/convolve", 312,
                                                               "convolve line fast"));
        }
    }
    return result;
}

/// convolveLineFast along the second index: output(x, y) combines source(x, y - L + 1) ...
/// source(x, y). Works on views with the axes exchanged; no element is copied.
template <typename T, typename Combine>
IntBox convolveLineFastTransposed(const blitz::Array<T, 2>& source, int windowLength,
                                  const Combine& combine, blitz::Array<T, 2> output,
                                  ProgressRange progress) {
    blitz::Array<T, 2> swappedSource(source);
    swappedSource.transposeSelf(1, 0);
    output.transposeSelf(1, 0);
    return classification::transposeBox(convolveLineFast(swappedSource, windowLength, combine, output, progress));
}

namespace detail {

/// A view of `output` whose index v addresses output position v + origin.
template <typename T>
blitz::Array<T, 2> originShifted(const blitz::Array<T, 2>& output, const IntPoint& origin) {
    blitz::Array<T, 2> view(output);
    view.reindexSelf(IntPoint(output.lbound(0) - origin[0], output.lbound(1) - origin[1]));
    return view;
}

}  // namespace detail

/// convolveLineFast with the window's output moved by its origin offsets: output position p
/// on the first axis receives source p - o - L + 1 ... p - o. Returns the box written.
template <typename T, typename Combine>
IntBox convolveLineFast(const blitz::Array<T, 2>& source, const LineWindow& window,
                        const Combine& combine, blitz::Array<T, 2> output, ProgressRange progress) {
    const IntPoint origin(window.originX, window.originY);
    const IntBox box = convolveLineFast(source, window.length, combine,
                                        detail::originShifted(output, origin), progress);
    return moveBox(box, origin);
}

/// The same along the second axis.
template <typename T, typename Combine>
IntBox convolveLineFastTransposed(const blitz::Array<T, 2>& source, const LineWindow& window,
                                  const Combine& combine, blitz::Array<T, 2> output,
                                  ProgressRange progress) {
    const IntPoint origin(window.originX, window.originY);
    const IntBox box = convolveLineFastTransposed(source, window.length, combine,
                                                  detail::originShifted(output, origin), progress);
    return moveBox(box, origin);
}

}  // namespace morphology
