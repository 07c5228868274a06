#include "AppManifest.h"

#include <array>
#include <limits>
#include <utility>

namespace pellora::tsappinst {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

// Well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) without control characters.
bool IsDisplayableText(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            if (lead < 0x20 || lead == 0x7F)
                return false;
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1F, smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code = lead & 0x0F, smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07, smallest = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Decimal digits, or hexadecimal digits after "0x", up to max.
std::optional<std::uint32_t> ParseNumber(std::string_view text, std::uint32_t max)
{
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && LowerAscii(text[1]) == 'x') {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f')
            digit = static_cast<unsigned>(LowerAscii(c) - 'a' + 10);
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > max)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<std::string> ParseText(std::string_view value, std::size_t maxBytes)
{
    if (value.size() > maxBytes || !IsDisplayableText(value))
        return std::nullopt;
    return std::string(value);
}

// "\" counts as a separator as well; "." parts are dropped; absolute paths and ".." parts are refused.
std::optional<std::string> ParseSetup(std::string_view value)
{
    if (value.empty() || value.front() == '/' || value.front() == '\\' || !IsDisplayableText(value))
        return std::nullopt;
    std::string path;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = value.size();
        const std::string_view part = value.substr(start, end - start);
        if (part == "..")
            return std::nullopt;
        if (!part.empty() && part != ".") {
            if (!path.empty())
                path += '/';
            path += part;
        }
        start = end + 1;
    }
    if (path.empty() || path.size() > kMaxSetupBytes)
        return std::nullopt;
    return path;
}

// Names separated by ";", blanks around each trimmed; empty names are dropped.
std::optional<std::vector<std::string>> ParseModels(std::string_view value)
{
    std::vector<std::string> models;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(';', start);
        if (end == std::string_view::npos)
            end = value.size();
        const std::string_view name = Trim(value.substr(start, end - start));
        if (!name.empty()) {
            auto text = ParseText(name, kMaxModelNameBytes);
            if (!text)
                return std::nullopt;
            models.push_back(std::move(*text));
        }
        start = end + 1;
    }
    return models;
}

enum class Key { Name, Setup, Kind, Version, Os, Platform, Models, Count };

constexpr std::array<std::string_view, static_cast<std::size_t>(Key::Count)> kKeyNames = {
    "Name", "Setup", "Kind", "Version", "OS", "Platform", "Models",
};

std::optional<Key> FindKey(std::string_view name)
{
    for (std::size_t i = 0; i < kKeyNames.size(); ++i) {
        if (EqualsIgnoringCase(name, kKeyNames[i]))
            return static_cast<Key>(i);
    }
    return std::nullopt;
}

template <typename Target, typename Value>
bool Assign(Target& target, std::optional<Value> value)
{
    if (!value)
        return false;
    target = static_cast<Target>(std::move(*value));
    return true;
}

// Stores one value of the [Utility] section into the manifest; false when the value is malformed.
bool Store(AppManifest& manifest, Key key, std::string_view value)
{
    constexpr std::uint32_t kAny32 = std::numeric_limits<std::uint32_t>::max();
    switch (key) {
    case Key::Name:
        return !value.empty() && Assign(manifest.name, ParseText(value, kMaxNameBytes));
    case Key::Setup:
        return Assign(manifest.setup, ParseSetup(value));
    case Key::Kind:
        return Assign(manifest.kind, ParseNumber(value, kAny32));
    case Key::Version:
        return Assign(manifest.version, ParseText(value, kMaxVersionBytes));
    case Key::Os:
        return Assign(manifest.osMask, ParseNumber(value, kAny32));
    case Key::Platform:
        return Assign(manifest.platform, ParseNumber(value, std::numeric_limits<std::uint16_t>::max()));
    case Key::Models:
        return Assign(manifest.models, ParseModels(value));
    case Key::Count:
        break;
    }
    return false;
}

} // namespace

std::optional<AppManifest> ParseAppManifest(std::string_view text)
{
    if (text.size() > kMaxManifestBytes || text.find('\0') != std::string_view::npos)
        return std::nullopt;
    if (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark)
        text.remove_prefix(kUtf8ByteOrderMark.size());

    enum class Place { BeforeSections, Utility, OtherSection } place = Place::BeforeSections;
    bool sawUtility = false;
    std::array<bool, static_cast<std::size_t>(Key::Count)> seen {};
    AppManifest manifest;

    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;

        if (line.front() == '[') {
            if (line.back() != ']')
                return std::nullopt;
            const std::string_view section = Trim(line.substr(1, line.size() - 2));
            if (section.empty())
                return std::nullopt;
            if (!EqualsIgnoringCase(section, "Utility")) {
                place = Place::OtherSection;
                continue;
            }
            if (sawUtility)
                return std::nullopt;
            sawUtility = true;
            place = Place::Utility;
            continue;
        }

        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || place == Place::BeforeSections)
            return std::nullopt;
        const std::string_view keyName = Trim(line.substr(0, equals));
        if (keyName.empty())
            return std::nullopt;
        if (place == Place::OtherSection)
            continue;
        const std::optional<Key> key = FindKey(keyName);
        if (!key)
            continue;
        auto& keySeen = seen[static_cast<std::size_t>(*key)];
        if (keySeen || !Store(manifest, *key, Unquote(Trim(line.substr(equals + 1)))))
            return std::nullopt;
        keySeen = true;
    }

    if (!seen[static_cast<std::size_t>(Key::Name)] || !seen[static_cast<std::size_t>(Key::Setup)])
        return std::nullopt;
    return manifest;
}

} // namespace pellora::tsappinst
