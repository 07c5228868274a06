#include "ui/stringservice/ReceiverWindow.h"

#include "core/i18n/StringTable.h"
#include "ui/frame/MainFrame.h"
#include "ui/stringservice/ScreenPreview.h"

#include <algorithm>
#include <array>

namespace pellora::ui {

using namespace string_service;

struct CReceiverWindow::Connection {
    int id;
    std::unique_ptr<platform::StringMessageConnection> socket;
    QPointer<QSocketNotifier> notifier; // deleted later: it may be the one reporting
};

std::string_view CReceiverWindow::FailureText(Failure failure)
{
    switch (failure) {
    case Failure::Create:
        return "error Create()";
    case Failure::OpenMapping:
        return "error OpenFileMapping()";
    case Failure::MapView:
        return "error MapViewOfFile()";
    case Failure::None:
        break;
    }
    return {};
}

CReceiverWindow::CReceiverWindow(CMainFrame* frame, std::filesystem::path programFolder,
                                 std::function<void(int status)> endProcess)
    : m_frame(frame)
    , m_programFolder(std::move(programFolder))
    , m_endProcess(std::move(endProcess))
{
    setTitle(QString::fromLatin1(kTitle.data(), static_cast<qsizetype>(kTitle.size())));
    if (frame != nullptr)
        m_preview = std::make_unique<CScreenPreview>(*frame);
    connect(this, &QWindow::xChanged, this, &CReceiverWindow::onMoved);
    connect(this, &QWindow::yChanged, this, &CReceiverWindow::onMoved);
    connect(&m_flash, &CControlFlash::finished, this, [this] {
        if (!m_flashing)
            return;
        m_flashing = false;
        answer(m_flashed);
        runWaiting();
    });
}

CReceiverWindow::~CReceiverWindow()
{
    for (const auto& connection : m_connections)
        delete connection->notifier.data();
}

CReceiverWindow::Failure CReceiverWindow::Open(const platform::StringServiceNames& names)
{
    if (!m_listener.Listen(names.socket).ok())
        return Failure::Create;
    m_listenerNotifier = std::make_unique<QSocketNotifier>(m_listener.descriptor(), QSocketNotifier::Read);
    connect(m_listenerNotifier.get(), &QSocketNotifier::activated, this, &CReceiverWindow::acceptConnections);

    platform::SharedMemory::Failure failure = platform::SharedMemory::Failure::None;
    m_mapping = platform::SharedMemory::OpenForReading(names.mapping, failure);
    switch (failure) {
    case platform::SharedMemory::Failure::Open:
        return Failure::OpenMapping;
    case platform::SharedMemory::Failure::Map:
        return Failure::MapView;
    case platform::SharedMemory::Failure::None:
        break;
    }
    return Failure::None;
}

void CReceiverWindow::acceptConnections()
{
    while (std::unique_ptr<platform::StringMessageConnection> socket = m_listener.Accept()) {
        if (m_connections.size() >= kMaxConnections)
            continue; // closed as it goes
        auto connection = std::make_unique<Connection>();
        connection->id = m_nextConnection++;
        connection->notifier = new QSocketNotifier(socket->descriptor(), QSocketNotifier::Read, this);
        connection->socket = std::move(socket);
        connect(connection->notifier, &QSocketNotifier::activated, this, [this, id = connection->id] { receive(id); });
        m_connections.push_back(std::move(connection));
    }
}

void CReceiverWindow::receive(int connection)
{
    const auto found = std::find_if(m_connections.begin(), m_connections.end(),
                                    [connection](const auto& entry) { return entry->id == connection; });
    if (found == m_connections.end())
        return;
    std::vector<platform::StringMessage> messages;
    const bool open = (*found)->socket->Receive(messages);
    for (const platform::StringMessage& message : messages) {
        if (m_waiting.size() < kMaxWaiting)
            m_waiting.push_back({connection, message});
    }
    if (!open)
        dropConnection(connection);
    runWaiting();
}

void CReceiverWindow::dropConnection(int connection)
{
    const auto found = std::find_if(m_connections.begin(), m_connections.end(),
                                    [connection](const auto& entry) { return entry->id == connection; });
    if (found == m_connections.end())
        return;
    if (QSocketNotifier* notifier = (*found)->notifier) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    m_connections.erase(found);
}

void CReceiverWindow::runWaiting()
{
    // One command at a time, in order: a command whose flash still runs holds the ones behind it.
    if (m_running)
        return;
    m_running = true;
    while (!m_flashing && !m_waiting.empty()) {
        const Waiting command = m_waiting.front();
        m_waiting.pop_front();
        carryOut(command);
    }
    m_running = false;
}

std::optional<StringServiceRecord> CReceiverWindow::recordAt(std::uint32_t index)
{
    std::array<std::byte, kRecordSize> bytes {};
    if (!m_mapping.Read(std::uint64_t {index} * kRecordSize, bytes))
        return std::nullopt;
    return DecodeRecord(bytes);
}

void CReceiverWindow::carryOut(const Waiting& command)
{
    const platform::StringMessage message = command.message;
    if (m_frame != nullptr) {
        m_frame->raise();
        m_frame->activateWindow();
    }
    const std::optional<StringServiceRecord> record = recordAt(message.index);
    if (!record || message.command > kClose) {
        refuse(command);
        return;
    }
    switch (message.command) {
    case kSwitchLanguage:
        TheStringTable().Load(m_programFolder, record->language, kStringTableGroup);
        if (m_preview)
            m_preview->Refresh();
        break;
    case kShowAndFlash:
        if (m_preview) {
            m_preview->SetAnchor(position());
            m_preview->Show(*record);
            if (const std::optional<FlashSpot> spot = m_preview->FlashSpotFor(*record)) {
                // Answered when the flash has ended.
                m_flashed = command;
                m_flashing = true;
                m_flash.Start(spot->target, spot->rect);
                return;
            }
        }
        break;
    case kReplaceText:
        TheStringTable().SetText(static_cast<std::uint32_t>(record->textNumber), record->text);
        if (m_preview)
            m_preview->Refresh();
        break;
    case kClose:
        if (m_frame == nullptr) {
            m_endProcess(1);
            return;
        }
        QMetaObject::invokeMethod(m_frame, &QWidget::close, Qt::QueuedConnection);
        break;
    }
    answer(command);
}

void CReceiverWindow::answer(const Waiting& command)
{
    const auto found = std::find_if(m_connections.begin(), m_connections.end(),
                                    [&command](const auto& entry) { return entry->id == command.connection; });
    if (found != m_connections.end() && !(*found)->socket->Send(command.message))
        dropConnection(command.connection);
    emit commandHandled(command.message.command, command.message.index);
}

void CReceiverWindow::refuse(const Waiting& command)
{
    emit commandRefused(command.message.command, command.message.index);
}

void CReceiverWindow::onMoved()
{
    if (m_followed || m_frame == nullptr)
        return;
    m_followed = true;
    m_frame->move(KeptOnScreen(position(), m_frame->frameGeometry().size()));
    m_frame->show();
}

} // namespace pellora::ui
