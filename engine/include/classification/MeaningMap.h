#pragma once

#include <map>
#include <string>

namespace Ostrival {

/// A variable whose values have names: its text is "1=medium" where "1" alone would say nothing.
template <typename Base, typename Meaning>
class MeaningMap : public Base {
public:
    MeaningMap(int lowest, int highest, int initial, std::map<int, Meaning> names)
        : Base(lowest, highest, initial), meanings(std::move(names)) {}

    std::string text() const override {
        std::string result = Base::text();
        const auto found = meanings.find(this->stored);
        if (found != meanings.end())
            result += "=" + found->second;
        return result;
    }

    std::map<int, Meaning> meanings;
};

}  // namespace Ostrival
