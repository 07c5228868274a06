#pragma once

// The three fixed-size blocks of driver extension settings carried by a printer record.

#include <cstdint>
#include <cstring>

namespace pellora {

inline constexpr std::size_t kBlockSectionNameSize = 32;

// Status-monitor settings, 72 bytes; the intervals are in seconds.
struct MonitorBlock {
    int32_t LockCustomValue = 0;
    int32_t EnableMonitoring = 1;
    int32_t EnableErrorIcon = 1;
    int32_t EnableWarningIcon = 1;
    int32_t PopupError = 1;
    int32_t PopupWarning = 0;
    int32_t SoundNotifyEnable = 0;
    int32_t Notify_Printed = 0;
    int32_t MonitoringIntervalLocal = 10;
    int32_t MonitoringIntervalNet = 30;
    char sectionName[kBlockSectionNameSize] = {};

    void setSectionName(const char* name);
    bool operator==(const MonitorBlock&) const = default;
};

// Port extension settings, 84 bytes.
struct PortBlock {
    static constexpr std::size_t kQueueNameSize = 36;
    int32_t ProtocolID = 0;
    char QueueName[kQueueNameSize] = "TSPQueue";
    int32_t SecureRawPortNo = 59200;
    int32_t SecureUserMode = 0;
    int32_t CheckPortNo = 59202;
    char sectionName[kBlockSectionNameSize] = {};

    void setSectionName(const char* name);
    bool operator==(const PortBlock&) const = default;
};

// Secure-printing settings, 68 bytes; it has no section-name area.
struct SecurityBlock {
    int32_t NotAllowBlock = 0;
    int32_t NotAllowStamp = 0;
    int32_t NotAllowHeader = 0;
    int32_t NotAllowPassword = 0;
    int32_t BlockPattern = -1;
    int32_t BlockPatternColor = -1;
    int32_t BlockPatternArrange = -1;
    int32_t StampMark = -1;
    int32_t HeaderFooter = 0;
    int32_t HeaderLeft = -1;
    int32_t HeaderCenter = -1;
    int32_t HeaderRight = -1;
    int32_t FooterLeft = -1;
    int32_t FooterCenter = -1;
    int32_t FooterRight = -1;
    int32_t Password = 0;
    int32_t Lock = 0;

    bool operator==(const SecurityBlock&) const = default;
};

static_assert(sizeof(MonitorBlock) == 72);
static_assert(sizeof(PortBlock) == 84);
static_assert(sizeof(SecurityBlock) == 68);

namespace detail {
inline void copySectionName(char (&area)[kBlockSectionNameSize], const char* name)
{
    std::memset(area, 0, sizeof area);
    std::strncpy(area, name, sizeof area - 1);
}
} // namespace detail

inline void MonitorBlock::setSectionName(const char* name) { detail::copySectionName(sectionName, name); }
inline void PortBlock::setSectionName(const char* name) { detail::copySectionName(sectionName, name); }

} // namespace pellora
