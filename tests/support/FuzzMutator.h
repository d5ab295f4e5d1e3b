#pragma once
// Deterministic damage for the fuzz tests of our readers: every run from a seed makes the same
// inputs, so a failure names the case that shows it again.

#include <QByteArray>

#include <cstdint>
#include <random>

namespace zqtest {

class FuzzMutator {
public:
    explicit FuzzMutator(std::uint32_t seed) : random_(seed) {}

    /// A uniformly drawn number in [0, bound); 0 when `bound` is not positive.
    int below(int bound) {
        return bound <= 0 ? 0 : std::uniform_int_distribution<int>(0, bound - 1)(random_);
    }

    /// `bytes` with one to four kinds of damage: flipped bits, bytes set to edge values, 16- or
    /// 32-bit fields (either byte order) set to huge or negative counts, a piece repeated or
    /// dropped, the end cut off.
    QByteArray mutate(QByteArray bytes) {
        const int rounds = 1 + below(4);
        for (int round = 0; round < rounds && !bytes.isEmpty(); ++round) {
            const int at = below(bytes.size());
            switch (below(6)) {
            case 0:
                bytes[at] = char(bytes[at] ^ (1 << below(8)));
                break;
            case 1: {
                static const char edges[] = {0, 1, 0x7F, char(0x80), char(0xFE), char(0xFF)};
                bytes[at] = edges[below(int(sizeof edges))];
                break;
            }
            case 2:
            case 3:
                writeNumber(bytes, at, hugeNumber(), below(2) == 0, below(2) == 0 ? 2 : 4);
                break;
            case 4: {
                const int length = 1 + below(qMin(64, bytes.size() - at));
                if (below(2) == 0)
                    bytes.insert(at, bytes.mid(at, length));
                else
                    bytes.remove(at, length);
                break;
            }
            default:
                bytes.truncate(at);
                break;
            }
        }
        return bytes;
    }

    /// Writes `value` over the `size` bytes at `at`, big- or little-endian, as far as they go.
    static void writeNumber(QByteArray& bytes, int at, std::uint32_t value, bool bigEndian, int size) {
        for (int i = 0; i < size && at + i < bytes.size(); ++i) {
            const int shift = 8 * (bigEndian ? size - 1 - i : i);
            bytes[at + i] = char((value >> shift) & 0xFF);
        }
    }

private:
    std::uint32_t hugeNumber() {
        static const std::uint32_t values[] = {0,          1,          0x7FFF,     0x8000,
                                               0xFFFF,     0x10000,    0x7FFFFFFF, 0x80000000u,
                                               0xFFFFFFF0u, 0xFFFFFFFFu, 65535 * 4096, 46341};
        return values[below(int(sizeof values / sizeof values[0]))];
    }

    std::mt19937 random_;
};

}  // namespace zqtest
