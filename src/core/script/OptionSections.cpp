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
// The queue name arrives through a buffer of this size (at most 9 characters).
constexpr std::size_t kQueueNameBufferSize = 10;

template <std::size_t N>
std::string textOfArea(const char (&area)[N])
{
    return std::string(area, strnlen(area, N));
}

template <std::size_t N>
void storeInArea(char (&area)[N], std::string_view text)
{
    std::memset(area, 0, N);
    std::memcpy(area, text.data(), text.size() < N ? text.size() : N - 1);
}

// A block field written or read as a DWORD; the section holds the field times scale.
template <typename Block>
struct DwordKey {
    const char* name;
    int32_t Block::*field;
    int32_t scale = 1;
};

template <typename Block>
int writeKey(const OptionSection& section, const Block& block, const DwordKey<Block>& key)
{
    const int64_t stored = static_cast<int64_t>(block.*key.field) * key.scale;
    return section.WriteDword(key.name, static_cast<uint32_t>(stored));
}

template <typename Block>
int readKey(const OptionSection& section, Block& block, const DwordKey<Block>& key)
{
    // A present key that is not a DWORD leaves the scaled field as it was.
    int32_t stored = static_cast<int32_t>(static_cast<int64_t>(block.*key.field) * key.scale);
    const int result = section.ReadDword(key.name, stored);
    if (result == kSectionOk)
        block.*key.field = stored / key.scale;
    return result;
}

template <typename Block, std::size_t N>
int readKeys(const OptionSection& section, Block& block, const std::array<DwordKey<Block>, N>& keys)
{
    for (const auto& key : keys) {
        if (const int result = readKey(section, block, key); result != kSectionOk)
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
    const OptionSection section(file, textOfArea(block.sectionName));

    if (const int result = section.WriteString("InstallSection", "InstallCSTM", true); result != kSectionOk)
        return result;
    // The client replaces this by the time of installation.
    if (const int result = section.WriteString("CustomInstallDateTime", "%DATE%", false); result != kSectionOk)
        return result;
    if (const int result = writeKey(section, block, Key{"EnableMonitoring", &MonitorBlock::EnableMonitoring});
        result != kSectionOk)
        return result;

    if (block.EnableMonitoring != 0) {
        static constexpr std::array<Key, 4> popupKeys{{
            {"EnableErrorIcon", &MonitorBlock::EnableErrorIcon},
            {"EnableWarningIcon", &MonitorBlock::EnableWarningIcon},
            {"PopupError", &MonitorBlock::PopupError},
            {"PopupWarning", &MonitorBlock::PopupWarning},
        }};
        for (const Key& key : popupKeys) {
            if (const int result = writeKey(section, block, key); result != kSectionOk)
                return result;
        }
        if (block.PopupError != 0 || block.PopupWarning != 0) {
            if (const int result = writeKey(section, block, Key{"SoundNotifyEnable", &MonitorBlock::SoundNotifyEnable});
                result != kSectionOk)
                return result;
        }
        if (const int result = writeKey(section, block, Key{"Notify_Printed", &MonitorBlock::Notify_Printed});
            result != kSectionOk)
            return result;
    }

    static constexpr std::array<Key, 3> closingKeys{{
        {"MonitoringIntervalLocal", &MonitorBlock::MonitoringIntervalLocal, kMillisecondsPerSecond},
        {"MonitoringIntervalNet", &MonitorBlock::MonitoringIntervalNet, kMillisecondsPerSecond},
        {"LockCustomValue", &MonitorBlock::LockCustomValue},
    }};
    for (const Key& key : closingKeys) {
        if (const int result = writeKey(section, block, key); result != kSectionOk)
            return result;
    }
    return kSectionOk;
}

int ReadMonitorSection(const std::filesystem::path& file, std::string_view sectionName, MonitorBlock& block)
{
    using Key = DwordKey<MonitorBlock>;
    static constexpr std::array<Key, 10> keys{{
        {"LockCustomValue", &MonitorBlock::LockCustomValue},
        {"EnableMonitoring", &MonitorBlock::EnableMonitoring},
        {"EnableErrorIcon", &MonitorBlock::EnableErrorIcon},
        {"EnableWarningIcon", &MonitorBlock::EnableWarningIcon},
        {"PopupError", &MonitorBlock::PopupError},
        {"PopupWarning", &MonitorBlock::PopupWarning},
        {"SoundNotifyEnable", &MonitorBlock::SoundNotifyEnable},
        {"Notify_Printed", &MonitorBlock::Notify_Printed},
        {"MonitoringIntervalLocal", &MonitorBlock::MonitoringIntervalLocal, kMillisecondsPerSecond},
        {"MonitoringIntervalNet", &MonitorBlock::MonitoringIntervalNet, kMillisecondsPerSecond},
    }};
    block = MonitorBlock{};
    storeInArea(block.sectionName, sectionName);
    return readKeys(OptionSection(file, std::string(sectionName)), block, keys);
}

int WritePortSection(const std::filesystem::path& file, const PortBlock& block)
{
    using Key = DwordKey<PortBlock>;
    const OptionSection section(file, textOfArea(block.sectionName));

    if (const int result = writeKey(section, block, Key{"ProtocolID", &PortBlock::ProtocolID}); result != kSectionOk)
        return result;
    if (const int result = section.WriteString("QueueName", textOfArea(block.QueueName), true); result != kSectionOk)
        return result;
    static constexpr std::array<Key, 3> numberKeys{{
        {"SecureRawPortNo", &PortBlock::SecureRawPortNo},
        {"SecureUserMode", &PortBlock::SecureUserMode},
        {"CheckPortNo", &PortBlock::CheckPortNo},
    }};
    for (const Key& key : numberKeys) {
        if (const int result = writeKey(section, block, key); result != kSectionOk)
            return result;
    }
    return kSectionOk;
}

int ReadPortSection(const std::filesystem::path& file, std::string_view sectionName, PortBlock& block)
{
    using Key = DwordKey<PortBlock>;
    block = PortBlock{};
    storeInArea(block.sectionName, sectionName);
    const OptionSection section(file, std::string(sectionName));

    if (const int result = readKey(section, block, Key{"ProtocolID", &PortBlock::ProtocolID}); result != kSectionOk)
        return result;
    std::string queueName;
    if (const int result = section.ReadText("QueueName", queueName, kQueueNameBufferSize); result != kSectionOk)
        return result;
    storeInArea(block.QueueName, queueName);
    static constexpr std::array<Key, 3> numberKeys{{
        {"SecureRawPortNo", &PortBlock::SecureRawPortNo},
        {"SecureUserMode", &PortBlock::SecureUserMode},
        {"CheckPortNo", &PortBlock::CheckPortNo},
    }};
    return readKeys(section, block, numberKeys);
}

int WriteSecuritySection(const std::filesystem::path& file, std::string_view sectionName, const SecurityBlock& block)
{
    struct SecurityKey {
        DwordKey<SecurityBlock> key;
        bool always; // else left out when negative
    };
    static constexpr std::array<SecurityKey, 17> keys{{
        {{"NotAllowBlock", &SecurityBlock::NotAllowBlock}, false},
        {{"NotAllowStamp", &SecurityBlock::NotAllowStamp}, false},
        {{"NotAllowHeader", &SecurityBlock::NotAllowHeader}, false},
        {{"NotAllowPassword", &SecurityBlock::NotAllowPassword}, false},
        {{"BlockPattern", &SecurityBlock::BlockPattern}, false},
        {{"BlockPatternColor", &SecurityBlock::BlockPatternColor}, true},
        {{"BlockPatternArrange", &SecurityBlock::BlockPatternArrange}, true},
        {{"StampMark", &SecurityBlock::StampMark}, false},
        {{"HeaderFooter", &SecurityBlock::HeaderFooter}, false},
        {{"Password", &SecurityBlock::Password}, false},
        {{"Lock", &SecurityBlock::Lock}, true},
        {{"HeaderLeft", &SecurityBlock::HeaderLeft}, false},
        {{"HeaderCenter", &SecurityBlock::HeaderCenter}, false},
        {{"HeaderRight", &SecurityBlock::HeaderRight}, false},
        {{"FooterLeft", &SecurityBlock::FooterLeft}, false},
        {{"FooterCenter", &SecurityBlock::FooterCenter}, false},
        {{"FooterRight", &SecurityBlock::FooterRight}, false},
    }};
    const OptionSection section(file, std::string(sectionName));
    for (const SecurityKey& entry : keys) {
        if (!entry.always && block.*entry.key.field < 0)
            continue;
        if (const int result = writeKey(section, block, entry.key); result != kSectionOk)
            return result;
    }
    return kSectionOk;
}

int ReadSecuritySection(const std::filesystem::path& file, std::string_view sectionName, SecurityBlock& block)
{
    using Key = DwordKey<SecurityBlock>;
    static constexpr std::array<Key, 17> keys{{
        {"NotAllowBlock", &SecurityBlock::NotAllowBlock},
        {"NotAllowStamp", &SecurityBlock::NotAllowStamp},
        {"NotAllowHeader", &SecurityBlock::NotAllowHeader},
        {"NotAllowPassword", &SecurityBlock::NotAllowPassword},
        {"BlockPattern", &SecurityBlock::BlockPattern},
        {"BlockPatternColor", &SecurityBlock::BlockPatternColor},
        {"BlockPatternArrange", &SecurityBlock::BlockPatternArrange},
        {"StampMark", &SecurityBlock::StampMark},
        {"HeaderFooter", &SecurityBlock::HeaderFooter},
        {"Password", &SecurityBlock::Password},
        {"Lock", &SecurityBlock::Lock},
        {"HeaderLeft", &SecurityBlock::HeaderLeft},
        {"HeaderCenter", &SecurityBlock::HeaderCenter},
        {"HeaderRight", &SecurityBlock::HeaderRight},
        {"FooterLeft", &SecurityBlock::FooterLeft},
        {"FooterCenter", &SecurityBlock::FooterCenter},
        {"FooterRight", &SecurityBlock::FooterRight},
    }};
    block = SecurityBlock{};
    return readKeys(OptionSection(file, std::string(sectionName)), block, keys);
}

} // namespace pellora
