#pragma once

#include <ostream>
#include <sstream>
#include <string>
#include <type_traits>

namespace Ostrival {

class Variables;

/// A named tuning parameter of the engine, exchanged with the application as a normalised
/// value in [0, 1] of its own scale.
class VariableBase {
public:
    virtual ~VariableBase() = default;
    /// The stored value on the variable's [0, 1] scale (not clamped).
    virtual float normalised() const = 0;
    virtual void setNormalised(float x) = 0;
    virtual std::string text() const = 0;
    /// Remembers the effective value, against which isChanged compares.
    virtual void mark() = 0;
    virtual bool isChanged() const = 0;
    virtual void printMarkAndValue(std::ostream& out) const = 0;

    /// The variable set it is registered in; derived variables read their inputs through it.
    Variables* owner = nullptr;
};

/// A variable whose effective value has the type T.
template <typename T>
class VariableBaseT : public VariableBase {
public:
    /// The effective value: the stored value, or what a derived variable makes of it.
    virtual T value() const = 0;

    void mark() override { marked = value(); }
    bool isChanged() const override { return value() != marked; }
    void printMarkAndValue(std::ostream& out) const override { out << marked << ", " << value(); }
    std::string text() const override { return valueText(value()); }

    T marked{};

protected:
    /// Integers in decimal, floats with the stream's default six significant digits.
    static std::string valueText(T v) {
        std::ostringstream out;
        out << v;
        return out.str();
    }
};

}  // namespace Ostrival
