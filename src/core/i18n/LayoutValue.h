#pragma once

// Layout expressions: control coordinates as pixels or as expressions such as "100%-92" over a client size.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace pellora {

// One coordinate: unset, an expression over an extent, or a fixed number of pixels.
class LayoutValue {
public:
    enum Kind : int32_t { Unset = 0, Expression = 1, Fixed = 2 };

    LayoutValue() = default;
    LayoutValue(int32_t pixels) : m_kind(Fixed), m_value(pixels) {}
    LayoutValue(const char* expression) : m_kind(Expression), m_text(expression) {}
    LayoutValue(std::string expression) : m_kind(Expression), m_text(std::move(expression)) {}

    int32_t Evaluate(int32_t extent) const;
    static int32_t EvaluateExpression(std::string_view expression, int32_t extent);

    Kind kind() const { return m_kind; }
    const std::string& text() const { return m_text; }
    int32_t value() const { return m_value; }

private:
    Kind m_kind = Unset;
    std::string m_text;
    int32_t m_value = 0;
};

struct LayoutRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const LayoutRect&) const = default;
};

// One control's rule: left and width over the client width, top and height over the client height.
struct ControlLayout {
    LayoutValue left;
    LayoutValue top;
    LayoutValue width;
    LayoutValue height;

    LayoutRect Evaluate(int32_t clientWidth, int32_t clientHeight) const;
};

// The rules of one window by control identifier.
class LayoutTable {
public:
    void SetRule(uint32_t controlId, ControlLayout rule) { m_rules[controlId] = std::move(rule); }
    void SetRule(uint32_t controlId, LayoutValue left, LayoutValue top, LayoutValue width, LayoutValue height)
    {
        SetRule(controlId, ControlLayout{std::move(left), std::move(top), std::move(width), std::move(height)});
    }
    const ControlLayout* Find(uint32_t controlId) const;
    const std::map<uint32_t, ControlLayout>& rules() const { return m_rules; }
    // The rectangle of every rule for a client area of the given size.
    std::map<uint32_t, LayoutRect> Evaluate(int32_t clientWidth, int32_t clientHeight) const;

private:
    std::map<uint32_t, ControlLayout> m_rules;
};

} // namespace pellora
