#pragma once

// The string service of view mode: the hidden window "CReceiverWindow" that takes the string-editing tool's
// commands from the socket, reads their records from the tool's shared memory, switches the language,
// replaces texts, shows and flashes screens, and answers each command it has handled.

#include "core/i18n/StringServiceRecord.h"
#include "core/platform/SharedMemory.h"
#include "core/platform/StringServiceChannel.h"
#include "ui/stringservice/ControlFlash.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QWindow>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace pellora::ui {

class CMainFrame;
class CScreenPreview;

class CReceiverWindow : public QWindow {
    Q_OBJECT
public:
    enum class Failure { None, Create, OpenMapping, MapView };

    static constexpr std::string_view kTitle = "CReceiverWindow";
    // The most tools connected, and commands waiting, at once; more are refused.
    static constexpr std::size_t kMaxConnections = 8;
    static constexpr std::size_t kMaxWaiting = 64;

    // The fixed text of a failure: "error Create()", "error OpenFileMapping()" or "error MapViewOfFile()".
    static std::string_view FailureText(Failure failure);

    // frame: the main window, which may go first; programFolder: where the string tables are; endProcess:
    // ends the program with a status, for a close command when there is no main window to close.
    CReceiverWindow(CMainFrame* frame, std::filesystem::path programFolder, std::function<void(int status)> endProcess);
    ~CReceiverWindow() override;

    // Listens at the socket, then opens the tool's shared memory for reading and maps all of it.
    Failure Open(const platform::StringServiceNames& names);

    CScreenPreview* Preview() const { return m_preview.get(); }
    CControlFlash& Flash() { return m_flash; }

signals:
    // A command was carried out and answered (or its tool had gone).
    void commandHandled(quint32 command, quint32 index);
    // A command was refused: its number is unknown, or its record lies outside the shared memory or has
    // a text that does not end within its field. It is not answered.
    void commandRefused(quint32 command, quint32 index);

private:
    struct Connection;
    struct Waiting {
        int connection;
        platform::StringMessage message;
    };

    void acceptConnections();
    void receive(int connection);
    void dropConnection(int connection);
    void runWaiting();
    // Carries out a command and answers it, after its flash when it has one.
    void carryOut(const Waiting& command);
    std::optional<StringServiceRecord> recordAt(std::uint32_t index);
    void answer(const Waiting& command);
    void refuse(const Waiting& command);
    void onMoved();

    QPointer<CMainFrame> m_frame;
    const std::filesystem::path m_programFolder;
    std::function<void(int)> m_endProcess;
    std::unique_ptr<CScreenPreview> m_preview;
    CControlFlash m_flash;
    platform::StringMessageListener m_listener;
    std::unique_ptr<QSocketNotifier> m_listenerNotifier;
    platform::SharedMemory m_mapping;
    std::vector<std::unique_ptr<Connection>> m_connections;
    std::deque<Waiting> m_waiting;
    Waiting m_flashed {};
    int m_nextConnection = 1;
    bool m_running = false;
    bool m_flashing = false;
    bool m_followed = false;
};

} // namespace pellora::ui
