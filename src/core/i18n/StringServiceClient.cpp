#include "core/i18n/StringServiceClient.h"

#include <thread>

namespace pellora {

using namespace std::chrono;

StringServiceClient::StringServiceClient(platform::StringServiceNames names)
    : m_names(std::move(names))
{
}

Status StringServiceClient::CreateRecords(std::size_t count)
{
    Status status;
    m_records = platform::SharedMemory::Create(m_names.mapping, count * string_service::kRecordSize, status);
    return status;
}

Status StringServiceClient::AttachRecords()
{
    platform::SharedMemory::Failure failure = platform::SharedMemory::Failure::None;
    m_records = platform::SharedMemory::OpenForWriting(m_names.mapping, failure);
    if (failure != platform::SharedMemory::Failure::None)
        return Status::Failure("no shared memory " + m_names.mapping + " to attach to");
    return Status::Ok();
}

Status StringServiceClient::Connect(milliseconds timeout)
{
    const auto end = steady_clock::now() + timeout;
    Status status;
    for (;;) {
        m_connection = platform::ConnectToStringService(m_names.socket, status);
        if (m_connection != nullptr || steady_clock::now() >= end)
            return status;
        std::this_thread::sleep_for(milliseconds(50));
    }
}

StringServiceClient::Answer StringServiceClient::Send(std::uint32_t command, const StringServiceRecord& record,
                                                      milliseconds timeout)
{
    const std::size_t slots = m_records.Writable().size() / string_service::kRecordSize;
    if (slots == 0)
        return Answer::Disconnected;
    const std::uint32_t slot = m_nextSlot++ % static_cast<std::uint32_t>(slots);
    const std::span<std::byte, string_service::kRecordSize> bytes(
        m_records.Writable().data() + std::size_t {slot} * string_service::kRecordSize, string_service::kRecordSize);
    if (!string_service::EncodeRecord(record, bytes))
        return Answer::TooLong;
    return SendIndex(command, slot, timeout);
}

StringServiceClient::Answer StringServiceClient::SendIndex(std::uint32_t command, std::uint32_t index,
                                                           milliseconds timeout)
{
    const platform::StringMessage message {command, index};
    if (!connected() || !m_connection->Send(message))
        return Answer::Disconnected;
    const auto end = steady_clock::now() + timeout;
    for (;;) {
        const auto left = duration_cast<milliseconds>(end - steady_clock::now());
        if (left.count() <= 0)
            return Answer::TimedOut;
        // Answers to earlier commands that timed out may still come: only this command's answer counts.
        const std::optional<platform::StringMessage> answer = m_connection->WaitForMessage(left);
        if (answer == message)
            return Answer::Answered;
        if (!connected())
            return Answer::Disconnected;
    }
}

} // namespace pellora
