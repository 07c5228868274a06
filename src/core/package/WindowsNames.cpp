#include "core/package/WindowsNames.h"

#include "core/platform/Utf16.h"
#include "core/util/FolderTree.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace fs = std::filesystem;

namespace pellora {

namespace {

constexpr std::string_view kForbiddenCharacters = "<>:\"/\\|?*";

// Decodes the code point at text[at] and moves at past it; nullopt for bytes that are no well-formed
// UTF-8 (overlong forms, surrogates and values beyond U+10FFFF included).
std::optional<std::uint32_t> nextCodePoint(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<std::uint8_t>(text[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    std::size_t more = 0;
    std::uint32_t point = 0;
    std::uint32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        point = lead & 0x1Fu;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        point = lead & 0x0Fu;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        point = lead & 0x07u;
        least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - at <= more)
        return std::nullopt;
    for (std::size_t k = 1; k <= more; ++k) {
        const auto next = static_cast<std::uint8_t>(text[at + k]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        point = point << 6 | (next & 0x3Fu);
    }
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return std::nullopt;
    at += more + 1;
    return point;
}

// Simple case folding for the blocks in which file names of driver packages are written.
std::uint32_t foldCodePoint(std::uint32_t c)
{
    const auto evenToOdd = [c] { return (c & 1u) == 0 ? c + 1 : c; };
    const auto oddToEven = [c] { return (c & 1u) != 0 ? c + 1 : c; };
    if (c >= 'A' && c <= 'Z')
        return c + 0x20;
    if (c < 0xB5)
        return c;
    if (c == 0xB5)
        return 0x3BC; // micro sign, folded with the Greek small mu
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return evenToOdd();
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return oddToEven();
    if (c == 0x178)
        return 0xFF;
    if (c == 0x17F)
        return 's'; // long s
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return c + 0x25;
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return c + 0x3F;
    if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB))
        return c + 0x20;
    if (c == 0x3C2)
        return 0x3C3; // final sigma
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF))
        return evenToOdd();
    return c;
}

char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Windows opens these as devices whatever extension follows them, and whatever blanks stand before it.
bool isDeviceName(std::string_view name)
{
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    std::string upper;
    for (const char c : stem)
        upper += asciiUpper(c);
    static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view device : kDevices) {
        if (upper == device)
            return true;
    }
    if (upper.size() < 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0))
        return false;
    const std::string_view number = std::string_view(upper).substr(3);
    // COM1 to COM9, and the superscript digits one to three that Windows takes for them as well.
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

std::string joined(std::string_view parent, std::string_view name)
{
    if (parent.empty())
        return std::string(name);
    std::string path(parent);
    path += '/';
    path += name;
    return path;
}

// The names met so far in one folder, by their Windows key.
class FolderNames {
public:
    explicit FolderNames(std::string shownPath) : m_shownPath(std::move(shownPath)) {}

    const std::string& shownPath() const { return m_shownPath; }

    std::optional<NameRefusal> add(std::string_view name, const fs::path& folder)
    {
        NameRefusal refusal;
        refusal.folder = folder;
        refusal.path = joined(m_shownPath, name);
        char forbidden = 0;
        refusal.fault = WindowsNameFault(name, &forbidden);
        if (refusal.fault == NameFault::ForbiddenCharacter)
            refusal.other = std::string(1, forbidden);
        if (refusal.fault != NameFault::None)
            return refusal;
        const auto [twin, added] = m_names.try_emplace(WindowsNameKey(name), name);
        if (added)
            return std::nullopt;
        refusal.fault = NameFault::NameTwin;
        refusal.other = joined(m_shownPath, twin->second);
        return refusal;
    }

private:
    std::string m_shownPath;
    std::unordered_map<std::string, std::string> m_names;
};

} // namespace

NameFault WindowsNameFault(std::string_view name, char* forbidden)
{
    for (const char c : name) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x20 || byte == 0x7F)
            return NameFault::ControlCharacter;
        if (kForbiddenCharacters.find(c) != std::string_view::npos) {
            if (forbidden != nullptr)
                *forbidden = c;
            return NameFault::ForbiddenCharacter;
        }
    }
    if (!name.empty() && (name.back() == '.' || name.back() == ' '))
        return NameFault::TrailingDotOrBlank;
    for (std::size_t at = 0; at < name.size();) {
        if (!nextCodePoint(name, at))
            return NameFault::NotUtf8;
    }
    if (isDeviceName(name))
        return NameFault::DeviceName;
    return NameFault::None;
}

std::string WindowsNameKey(std::string_view name)
{
    std::string key;
    key.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t start = at;
        if (const std::optional<std::uint32_t> point = nextCodePoint(name, at)) {
            platform::AppendUtf8(key, foldCodePoint(*point));
        } else {
            key += name[start];
            at = start + 1;
        }
    }
    return key;
}

std::string VisibleName(std::string_view name)
{
    std::string shown;
    shown.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t start = at;
        const std::optional<std::uint32_t> point = nextCodePoint(name, at);
        if (point && *point >= 0x20 && *point != 0x7F) {
            shown.append(name.substr(start, at - start));
            continue;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(static_cast<std::uint8_t>(name[start])));
        shown += escape;
        at = start + 1;
    }
    return shown;
}

std::string NameRefusal::Describe() const
{
    std::string text = "\"" + VisibleName(path) + "\" in " +
                       (folder.empty() ? std::string("the package") : VisibleName(folder.string())) + ": ";
    switch (fault) {
    case NameFault::None:
        return text + "no fault";
    case NameFault::ForbiddenCharacter:
        return text + "the name holds \"" + other + "\", which Windows file names cannot hold";
    case NameFault::ControlCharacter:
        return text + "the name holds a control character, which Windows file names cannot hold";
    case NameFault::TrailingDotOrBlank:
        return text + "the name ends in a dot or a blank, which Windows drops";
    case NameFault::DeviceName:
        return text + "the name is a device name on Windows";
    case NameFault::NotUtf8:
        return text + "the name is not UTF-8 text, so that Windows would show another name";
    case NameFault::NameTwin:
        return text + "the name equals \"" + VisibleName(other) + "\" when letter case is ignored, and Windows takes both as one";
    }
    return text;
}

std::optional<NameRefusal> CheckFolderNames(std::span<const std::string> names, const fs::path& folder,
                                            std::string_view parent)
{
    FolderNames seen{std::string(parent)};
    for (const std::string& name : names) {
        if (std::optional<NameRefusal> refusal = seen.add(name, folder))
            return refusal;
    }
    return std::nullopt;
}

std::optional<NameRefusal> CheckFolderTree(const fs::path& root, const fs::path& folder, std::string_view prefix)
{
    // One level per folder being walked; a folder's own name is checked in its parent once a file
    // below it shows that it is packed.
    struct Level {
        FolderNames names;
        std::string name;
        bool checked;
    };
    std::vector<Level> levels;
    std::optional<NameRefusal> refusal;
    const auto check = [&](std::size_t parent, std::string_view name) {
        refusal = levels[parent].names.add(name, folder);
        return !refusal;
    };
    WalkFolderTree(root, [&](const FolderTreeEntry& entry) {
        const std::string_view name = entry.relative.substr(entry.relative.rfind('/') + 1);
        switch (entry.kind) {
        case FolderTreeEntry::Kind::EnterFolder:
            if (levels.empty())
                levels.push_back({FolderNames(std::string(prefix)), {}, true});
            else
                levels.push_back({FolderNames(joined(prefix, entry.relative)), std::string(name), false});
            break;
        case FolderTreeEntry::Kind::LeaveFolder:
            levels.pop_back();
            break;
        case FolderTreeEntry::Kind::File:
            for (std::size_t i = 1; i < levels.size(); ++i) {
                if (!levels[i].checked && !check(i - 1, levels[i].name))
                    return Status::Failure(refusal->Describe());
                levels[i].checked = true;
            }
            if (!check(levels.size() - 1, name))
                return Status::Failure(refusal->Describe());
            break;
        case FolderTreeEntry::Kind::Other:
            break;
        }
        return Status::Ok();
    });
    return refusal;
}

} // namespace pellora
