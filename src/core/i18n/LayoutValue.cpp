#include "core/i18n/LayoutValue.h"

namespace pellora {

namespace {

// 32-bit signed arithmetic that wraps like the machine does instead of overflowing.
int32_t wrap(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

} // namespace

int32_t LayoutValue::EvaluateExpression(std::string_view expression, int32_t extent)
{
    int32_t accumulator = 0;
    int32_t number = 0;
    char pending = 0;
    for (std::size_t i = 0; i <= expression.size(); ++i) {
        const char c = i < expression.size() ? expression[i] : '\0';
        if (c >= '0' && c <= '9') {
            number = wrap(int64_t{number} * 10 + (c - '0'));
            continue;
        }
        if (c == '%') {
            const double scaled = static_cast<double>(number) * extent * 0.01;
            number = scaled >= 2147483647.0 ? INT32_MAX : scaled <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(scaled);
            continue;
        }
        switch (pending) {
        case '+': accumulator = wrap(int64_t{accumulator} + number); break;
        case '-': accumulator = wrap(int64_t{accumulator} - number); break;
        case '*': accumulator = wrap(int64_t{accumulator} * number); break;
        case '/':
            // Division by zero, or the one quotient that does not fit, leaves the accumulator as it is.
            if (number != 0 && !(accumulator == INT32_MIN && number == -1))
                accumulator /= number;
            break;
        default: accumulator = number; break;
        }
        if (c == '\0')
            return accumulator;
        if (c == '+' || c == '-' || c == '*' || c == '/')
            pending = c;
        number = 0;
    }
    return accumulator;
}

int32_t LayoutValue::Evaluate(int32_t extent) const
{
    switch (m_kind) {
    case Expression: return EvaluateExpression(m_text, extent);
    case Fixed: return m_value;
    default: return 0;
    }
}

LayoutRect ControlLayout::Evaluate(int32_t clientWidth, int32_t clientHeight) const
{
    const int32_t x = left.Evaluate(clientWidth);
    const int32_t y = top.Evaluate(clientHeight);
    return {x, y, wrap(int64_t{x} + width.Evaluate(clientWidth)), wrap(int64_t{y} + height.Evaluate(clientHeight))};
}

const ControlLayout* LayoutTable::Find(uint32_t controlId) const
{
    const auto it = m_rules.find(controlId);
    return it == m_rules.end() ? nullptr : &it->second;
}

std::map<uint32_t, LayoutRect> LayoutTable::Evaluate(int32_t clientWidth, int32_t clientHeight) const
{
    std::map<uint32_t, LayoutRect> rects;
    for (const auto& [id, rule] : m_rules)
        rects.emplace(id, rule.Evaluate(clientWidth, clientHeight));
    return rects;
}

} // namespace pellora
