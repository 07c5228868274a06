#pragma once

// The string-editing tool's end of the string service: the shared memory of command records it writes,
// and its connection to the program with the wait for each answer.

#include "core/i18n/StringServiceRecord.h"
#include "core/platform/SharedMemory.h"
#include "core/platform/StringServiceChannel.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace pellora {

class StringServiceClient {
public:
    static constexpr std::size_t kDefaultRecordCount = 16;

    enum class Answer {
        Answered,     // the program has carried the command out
        TimedOut,     // no answer in time: the command was refused, or is still running
        Disconnected, // there is no program to send to
        TooLong,      // a text of the record does not fit its field: nothing was sent
    };

    explicit StringServiceClient(platform::StringServiceNames names);

    // Makes the shared memory with room for count records. It must exist before the program starts,
    // which opens it at its start; it is removed with this object.
    Status CreateRecords(std::size_t count = kDefaultRecordCount);
    // Takes the shared memory that a running program opened at its start.
    Status AttachRecords();
    // Connects to the program, trying again until timeout: a program just started may not listen yet.
    Status Connect(std::chrono::milliseconds timeout);
    bool connected() const { return m_connection != nullptr && m_connection->open(); }

    // Writes the record into the next free slot, sends the command for it and waits for the answer.
    // Slots are used in turn, so that a command not yet carried out keeps its record for a while.
    Answer Send(std::uint32_t command, const StringServiceRecord& record, std::chrono::milliseconds timeout);
    // Sends the command for the record at index as the shared memory holds it, and waits for the answer.
    Answer SendIndex(std::uint32_t command, std::uint32_t index, std::chrono::milliseconds timeout);

    // The bytes of the shared memory, to write records of one's own.
    std::span<std::byte> Records() { return m_records.Writable(); }
    const platform::StringServiceNames& names() const { return m_names; }

private:
    platform::StringServiceNames m_names;
    platform::SharedMemory m_records;
    std::unique_ptr<platform::StringMessageConnection> m_connection;
    std::uint32_t m_nextSlot = 0;
};

} // namespace pellora
