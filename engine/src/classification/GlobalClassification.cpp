#include "classification/GlobalClassification.h"

#include "classification/IntBox.h"
#include "classification/ProgressMessage.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace classification {

namespace {

constexpr const char* sourceTag = "classification/GlobalClassification";

float mapInto(float f, float a, float b) { return (1.0f - f) * a + f * b; }

/// Counts pixels of one row into a table, remembering the last colour's cell: neighbouring
/// pixels share their colour often, and the cell index stays valid as the table grows.
class PixelCounter {
public:
    explicit PixelCounter(ColourTable& table) : table_(table) {}

    void count(const AnalysisPixel& pixel) {
        const ColourKey6 key = ColourKey6::of(pixel);
        if (lastCell_ < 0 || key != lastKey_) {
            lastKey_ = key;
            lastCell_ = table_.findOrInsert(key);
        }
        ++table_.cellAt(lastCell_).count;
    }

private:
    ColourTable& table_;
    ColourKey6 lastKey_;
    std::int32_t lastCell_ = -1;
};

}  // namespace

GlobalClassification<unsigned char, 6, int>::GlobalClassification() {
    classCounts.fill(-1);
}

void GlobalClassification<unsigned char, 6, int>::clear() {
    tables.clear();
    classCounts.fill(-1);
    allocators.fill(ClassAllocator());
}

void GlobalClassification<unsigned char, 6, int>::buildHistograms(ProgressRange range) {
    clear();
    const float middle = (range.from + range.to) / 2.0f;
    histogramPass(tables[0], range.ui, range.at(range.last), middle);
    subsampleLevels(range.ui, middle, range.to);
}

void GlobalClassification<unsigned char, 6, int>::histogramPass(ColourTable& table,
                                                                 Corvel::utility::IiUI* ui,
                                                                 float a, float b) {
    const bool masked = mask.numElements() != 0;
    if (masked && !boxEquals(IntBox::domainOf(mask), IntBox::domainOf(image)))
        throw std::invalid_argument("Mask and analysis image differ in size");
    if (image.numElements() == 0)
        return;

    const std::string message =
        ui ? progressMessage(sourceTag, masked ? 219 : 208, "histogram") : std::string();
    const int firstRow = image.lbound(0);
    const int lastRow = image.ubound(0);
    const int firstColumn = image.lbound(1);
    const int columns = image.extent(1);
    const auto imageStep = image.stride(1);
    const float rows = static_cast<float>(image.extent(0));

    PixelCounter counter(table);
    for (int i = firstRow; i <= lastRow; ++i) {
        const AnalysisPixel* pixel = &image(i, firstColumn);
        const unsigned char* maskByte = masked ? &mask(i, firstColumn) : nullptr;
        const auto maskStep = masked ? mask.stride(1) : 0;
        for (int j = 0; j < columns; ++j, pixel += imageStep) {
            if (!masked || (*maskByte & maskBits) != 0)
                counter.count(*pixel);
            if (masked)
                maskByte += maskStep;
            if (j == 0 && i % 2048 == 0 && ui)
                ui->progress(mapInto(static_cast<float>(i - firstRow) / rows, a, b), message);
        }
    }
}

void GlobalClassification<unsigned char, 6, int>::subsamplePass(const ColourTable& source,
                                                                ColourTable& target,
                                                                Corvel::utility::IiUI* ui,
                                                                float a, float b) {
    const auto cells = static_cast<std::int32_t>(source.size());
    const std::string message =
        ui ? progressMessage(sourceTag, 232, "histogram subsample internal") : std::string();
    for (std::int32_t k = 0; k < cells; ++k) {
        if (k % 65535 == 0 && ui)
            ui->progress(mapInto(static_cast<float>(k) / static_cast<float>(cells), a, b), message);
        const std::int32_t cell = target.findOrInsert(quantiseColourKey(source.keyAt(k), 1));
        target.cellAt(cell).count += source.cellAt(k).count;
    }
    if (ui)
        ui->progress(b, progressMessage(sourceTag, 234, "histogram subsample"));
}

void GlobalClassification<unsigned char, 6, int>::subsampleLevels(Corvel::utility::IiUI* ui,
                                                                  float a, float b) {
    float from = a;
    for (int level = 0; level + 1 < levelCount; ++level) {
        const float to = level + 2 == levelCount ? b : (from + b) / 2.0f;
        subsamplePass(tables[level], tables[level + 1], ui, from, to);
        from = to;
    }
}

int GlobalClassification<unsigned char, 6, int>::partition(int level, blitz::Array<int, 2> labels,
                                                           ProgressRange range) {
    // The caller keeps a level index; anything outside the seven tables means the nearest.
    const int bits = std::clamp(level, 0, levelCount - 1);
    if (!IntBox::domainOf(labels).contains(IntBox::domainOf(image)))
        throw std::invalid_argument("Class image smaller than the analysis image");
    if (image.numElements() == 0)
        return classCounts[static_cast<std::size_t>(bits)];

    ColourTable& table = tables[bits];
    const std::string message =
        range.ui ? progressMessage(sourceTag, 168, "partition") : std::string();
    const int firstRow = image.lbound(0);
    const int firstColumn = image.lbound(1);
    const int columns = image.extent(1);
    const float rows = static_cast<float>(image.extent(0));
    const auto imageStep = image.stride(1);
    const auto labelStep = labels.stride(1);

    ColourKey6 lastKey;
    std::int32_t lastCell = -1;
    for (int i = firstRow; i <= image.ubound(0); ++i) {
        const AnalysisPixel* pixel = &image(i, firstColumn);
        int* label = &labels(i, firstColumn);
        for (int j = 0; j < columns; ++j, pixel += imageStep, label += labelStep) {
            const ColourKey6 key = quantiseColourKey(ColourKey6::of(*pixel), bits);
            if (lastCell < 0 || key != lastKey) {
                lastKey = key;
                lastCell = table.findOrInsert(key);
            }
            *label = table.cellAt(lastCell).colourClass;
            if (j == 0 && i % 1024 == 0)
                range.report(static_cast<float>(i - firstRow) / rows, message);
        }
    }
    return classCounts[static_cast<std::size_t>(bits)];
}

}  // namespace classification
