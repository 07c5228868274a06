#include "core/script/OptionSections.h"

#include "core/platform/Profile.h"
#include "core/script/RegistryValue.h"

#include <array>
#include <cstring>
#include <optional>
#include <utility>

namespace pellora {

using platform::Profile;

namespace {

// A value read as a DWORD never needs more than this buffer.
constexpr std::size_t kDwordBufferSize = 260;
// The queue name is read through a buffer as large as its area, so a name that fits the area
// comes back whole.
constexpr std::size_t kQueueNameBufferSize = PortBlock::kQueueNameSize;

template <std::size_t N>
std::string textOfArea(const char (&area)[N])
{
    return std::string(area, strnlen(area, N));
}

template <std::size_t N>
void storeInArea(char (&area)[N], std::string_view text)
{
    std::memset(area, 0, N);
    if (!text.empty())
        std::memcpy(area, text.data(), text.size() < N ? text.size() : N - 1);
}

// When the writer puts a key into the section.
enum class Presence {
    Always,
    WhenMonitoring,  // the block's EnableMonitoring is on
    WhenPopup,       // monitoring is on and PopupError or PopupWarning is on
    WhenNotNegative, // the value is 0 or more
};

// A block field written or read as a DWORD; the section holds the field times scale.
template <typename Block>
struct DwordKey {
    const char* name;
    int32_t Block::*field;
    Presence presence = Presence::Always;
    int32_t scale = 1;
};

bool conditionHolds(const MonitorBlock& block, Presence presence)
{
    const bool monitoring = block.EnableMonitoring != 0;
    switch (presence) {
    case Presence::WhenMonitoring:
        return monitoring;
    case Presence::WhenPopup:
        return monitoring && (block.PopupError != 0 || block.PopupWarning != 0);
    default:
        return true;
    }
}

template <typename Block>
bool conditionHolds(const Block&, Presence)
{
    return true;
}

template <typename Block>
bool isWritten(const Block& block, const DwordKey<Block>& key)
{
    if (key.presence == Presence::WhenNotNegative)
        return block.*key.field >= 0;
    return conditionHolds(block, key.presence);
}

// Whether the key must be in the section, judged by the values read before it. A key left out for a
// negative value may always be missing: its default stands in for the unknown value.
template <typename Block>
bool mustBePresent(const Block& block, const DwordKey<Block>& key)
{
    return key.presence != Presence::WhenNotNegative && conditionHolds(block, key.presence);
}

template <typename Block, std::size_t N>
int writeKeys(const OptionSection& section, const Block& block, const std::array<DwordKey<Block>, N>& keys)
{
    for (const auto& key : keys) {
        if (!isWritten(block, key))
            continue;
        const int64_t stored = static_cast<int64_t>(block.*key.field) * key.scale;
        if (const int result = section.WriteDword(key.name, static_cast<uint32_t>(stored)); result != kSectionOk)
            return result;
    }
    return kSectionOk;
}

// Reads the keys in order and stops at the first failure; a key that the writer leaves out by rule may
// be missing and keeps its default.
template <typename Block, std::size_t N>
int readKeys(const OptionSection& section, Block& block, const std::array<DwordKey<Block>, N>& keys)
{
    for (const auto& key : keys) {
        // A present key that is not a DWORD leaves the scaled field as it was.
        int32_t stored = static_cast<int32_t>(static_cast<int64_t>(block.*key.field) * key.scale);
        const int result = section.ReadDword(key.name, stored);
        if (result == kSectionOk)
            block.*key.field = stored / key.scale;
        else if (result != kSectionKeyMissing || mustBePresent(block, key))
            return result;
    }
    return kSectionOk;
}

constexpr int32_t kMillisecondsPerSecond = 1000;

} // namespace

OptionSection::OptionSection(std::filesystem::path file, std::string section)
    : m_file(std::move(file)), m_section(std::move(section))
{
}

int OptionSection::writeText(std::string_view name, std::string_view stored, std::string_view expected) const
{
    Profile& profile = Profile::instance();
    if (!profile.write(m_file, m_section, name, stored))
        return kSectionWriteRefused;
    const std::optional<std::string> readBack = profile.get(m_file, m_section, name);
    if (!readBack || *readBack != expected)
        return kSectionReadBackDiffers;
    return kSectionOk;
}

int OptionSection::WriteDword(std::string_view name, uint32_t number) const
{
    const std::string text = RegistryValue({}, number).Encode(false);
    return writeText(name, text, text);
}

int OptionSection::WriteString(std::string_view name, std::string_view text, bool quoted) const
{
    // A reader takes the quotes off again.
    return writeText(name, RegistryValue({}, text).Encode(quoted), text);
}

int OptionSection::ReadDword(std::string_view name, int32_t& number) const
{
    std::string text;
    const int result = ReadText(name, text, kDwordBufferSize);
    if (result != kSectionOk)
        return result;
    if (const auto value = RegistryValue::Parse(text)) {
        if (const auto dword = value->AsDword())
            number = static_cast<int32_t>(*dword);
    }
    return kSectionOk;
}

int OptionSection::ReadText(std::string_view name, std::string& text, std::size_t bufferSize) const
{
    text.clear();
    const std::optional<std::string> stored = Profile::instance().get(m_file, m_section, name);
    if (!stored)
        return kSectionKeyMissing;
    if (bufferSize > 0)
        text = platform::CutUtf8(*stored, bufferSize - 1);
    return kSectionOk;
}

int WriteMonitorSection(const std::filesystem::path& file, const MonitorBlock& block)
{
    using Key = DwordKey<MonitorBlock>;
    static constexpr std::array<Key, 10> keys{{
        {"EnableMonitoring", &MonitorBlock::EnableMonitoring},
        {"EnableErrorIcon", &MonitorBlock::EnableErrorIcon, Presence::WhenMonitoring},
        {"EnableWarningIcon", &MonitorBlock::EnableWarningIcon, Presence::WhenMonitoring},
        {"PopupError", &MonitorBlock::PopupError, Presence::WhenMonitoring},
        {"PopupWarning", &MonitorBlock::PopupWarning, Presence::WhenMonitoring},
        {"SoundNotifyEnable", &MonitorBlock::SoundNotifyEnable, Presence::WhenPopup},
        {"Notify_Printed", &MonitorBlock::Notify_Printed, Presence::WhenMonitoring},
        {"MonitoringIntervalLocal", &MonitorBlock::MonitoringIntervalLocal, Presence::Always, kMillisecondsPerSecond},
        {"MonitoringIntervalNet", &MonitorBlock::MonitoringIntervalNet, Presence::Always, kMillisecondsPerSecond},
        {"LockCustomValue", &MonitorBlock::LockCustomValue},
    }};
    const OptionSection section(file, textOfArea(block.sectionName));
    if (const int result = section.WriteString("InstallSection", "InstallCSTM", true); result != kSectionOk)
        return result;
    // The client replaces this by the time of installation.
    if (const int result = section.WriteString("CustomInstallDateTime", "%DATE%", false); result != kSectionOk)
        return result;
    return writeKeys(section, block, keys);
}

int ReadMonitorSection(const std::filesystem::path& file, std::string_view sectionName, MonitorBlock& block)
{
    using Key = DwordKey<MonitorBlock>;
    static constexpr std::array<Key, 10> keys{{
        {"LockCustomValue", &MonitorBlock::LockCustomValue},
        {"EnableMonitoring", &MonitorBlock::EnableMonitoring},
        {"EnableErrorIcon", &MonitorBlock::EnableErrorIcon, Presence::WhenMonitoring},
        {"EnableWarningIcon", &MonitorBlock::EnableWarningIcon, Presence::WhenMonitoring},
        {"PopupError", &MonitorBlock::PopupError, Presence::WhenMonitoring},
        {"PopupWarning", &MonitorBlock::PopupWarning, Presence::WhenMonitoring},
        {"SoundNotifyEnable", &MonitorBlock::SoundNotifyEnable, Presence::WhenPopup},
        {"Notify_Printed", &MonitorBlock::Notify_Printed, Presence::WhenMonitoring},
        {"MonitoringIntervalLocal", &MonitorBlock::MonitoringIntervalLocal, Presence::Always, kMillisecondsPerSecond},
        {"MonitoringIntervalNet", &MonitorBlock::MonitoringIntervalNet, Presence::Always, kMillisecondsPerSecond},
    }};
    block = MonitorBlock{};
    storeInArea(block.sectionName, sectionName);
    return readKeys(OptionSection(file, std::string(sectionName)), block, keys);
}

namespace {

using PortKey = DwordKey<PortBlock>;
constexpr std::array<PortKey, 1> kPortLeadingKeys{{{"ProtocolID", &PortBlock::ProtocolID}}};
constexpr std::array<PortKey, 3> kPortTrailingKeys{{
    {"SecureRawPortNo", &PortBlock::SecureRawPortNo},
    {"SecureUserMode", &PortBlock::SecureUserMode},
    {"CheckPortNo", &PortBlock::CheckPortNo},
}};

using SecurityKey = DwordKey<SecurityBlock>;
constexpr std::array<SecurityKey, 17> kSecurityKeys{{
    {"NotAllowBlock", &SecurityBlock::NotAllowBlock, Presence::WhenNotNegative},
    {"NotAllowStamp", &SecurityBlock::NotAllowStamp, Presence::WhenNotNegative},
    {"NotAllowHeader", &SecurityBlock::NotAllowHeader, Presence::WhenNotNegative},
    {"NotAllowPassword", &SecurityBlock::NotAllowPassword, Presence::WhenNotNegative},
    {"BlockPattern", &SecurityBlock::BlockPattern, Presence::WhenNotNegative},
    {"BlockPatternColor", &SecurityBlock::BlockPatternColor},
    {"BlockPatternArrange", &SecurityBlock::BlockPatternArrange},
    {"StampMark", &SecurityBlock::StampMark, Presence::WhenNotNegative},
    {"HeaderFooter", &SecurityBlock::HeaderFooter, Presence::WhenNotNegative},
    {"Password", &SecurityBlock::Password, Presence::WhenNotNegative},
    {"Lock", &SecurityBlock::Lock},
    {"HeaderLeft", &SecurityBlock::HeaderLeft, Presence::WhenNotNegative},
    {"HeaderCenter", &SecurityBlock::HeaderCenter, Presence::WhenNotNegative},
    {"HeaderRight", &SecurityBlock::HeaderRight, Presence::WhenNotNegative},
    {"FooterLeft", &SecurityBlock::FooterLeft, Presence::WhenNotNegative},
    {"FooterCenter", &SecurityBlock::FooterCenter, Presence::WhenNotNegative},
    {"FooterRight", &SecurityBlock::FooterRight, Presence::WhenNotNegative},
}};

} // namespace

int WritePortSection(const std::filesystem::path& file, const PortBlock& block)
{
    const OptionSection section(file, textOfArea(block.sectionName));
    if (const int result = writeKeys(section, block, kPortLeadingKeys); result != kSectionOk)
        return result;
    if (const int result = section.WriteString("QueueName", textOfArea(block.QueueName), true); result != kSectionOk)
        return result;
    return writeKeys(section, block, kPortTrailingKeys);
}

int ReadPortSection(const std::filesystem::path& file, std::string_view sectionName, PortBlock& block)
{
    block = PortBlock{};
    storeInArea(block.sectionName, sectionName);
    const OptionSection section(file, std::string(sectionName));
    if (const int result = readKeys(section, block, kPortLeadingKeys); result != kSectionOk)
        return result;
    std::string queueName;
    if (const int result = section.ReadText("QueueName", queueName, kQueueNameBufferSize); result != kSectionOk)
        return result;
    storeInArea(block.QueueName, queueName);
    return readKeys(section, block, kPortTrailingKeys);
}

int WriteSecuritySection(const std::filesystem::path& file, std::string_view sectionName, const SecurityBlock& block)
{
    return writeKeys(OptionSection(file, std::string(sectionName)), block, kSecurityKeys);
}

int ReadSecuritySection(const std::filesystem::path& file, std::string_view sectionName, SecurityBlock& block)
{
    block = SecurityBlock{};
    return readKeys(OptionSection(file, std::string(sectionName)), block, kSecurityKeys);
}

} // namespace pellora
