#include "app/InteractiveStart.h"

#include "app/Application.h"
#include "core/util/Support.h"
#include "ui/frame/CoolDialogBar.h"
#include "ui/frame/FrameOptions.h"
#include "ui/frame/MainFrameIds.h"
#include "ui/shared/ProductArt.h"
#include "ui/shared/ProgramFont.h"

#include <QFile>

namespace pellora {

namespace {

constexpr int kBoldPointSize = 12;

// Ends the event loop when the watched window is closed (hidden, not merely minimised); other top-level
// windows such as a view-mode message box do not keep the program running.
class QuitWhenHidden final : public QObject {
public:
    explicit QuitWhenHidden(QWidget& window)
        : m_window(window)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Not quit(): that asks every window to close first, and the view-mode windows (the message box,
        // the option dialogs) refuse, which would keep the program running without its main window.
        if (watched == &m_window && event->type() == QEvent::Hide && !m_window.isVisible())
            QCoreApplication::exit(0);
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& m_window;
};

} // namespace

InteractiveStart::InteractiveStart(Application& application, QApplication& /*gui: the start runs inside it*/)
    : m_application(application)
    , m_messages(application.reporter())
{
    ui::SetLanguageFollower([this](std::uint16_t language) { m_qtTranslations.Follow(language); });
    QObject::connect(&m_handOver, &DropFilesServer::filesDropped, &m_handOver,
                     [this](const QStringList& files) { takeHandedOverFiles(files); });
    QObject::connect(&m_signals, &TerminationSignals::terminationRequested, &m_signals, [this](int) {
        m_terminationRequested = true;
        if (m_frame)
            m_frame->close();
        else
            QCoreApplication::quit();
    });
}

InteractiveStart::~InteractiveStart()
{
    ui::SetLanguageFollower({});
    m_splash.reset();
    m_receiver.reset();
    m_handOver.Close();
    withdrawWindow();
    m_quitWatcher.reset();
    m_frame.reset();
}

QFont InteractiveStart::NormalFont(const QFont& desktop)
{
    return ui::ProgramFont(desktop);
}

QFont InteractiveStart::BoldFont(const QFont& desktop)
{
    QFont font(desktop);
    font.setPointSize(kBoldPointSize);
    font.setWeight(QFont::Bold);
    return font;
}

int InteractiveStart::Run()
{
    if (!Start())
        return kStartupFailedStatus;
    // The start may process events (splash screen, opened files): a termination handled then closed
    // the window before the event loop ran, and a quit outside the loop is lost.
    if (m_terminationRequested && (!m_frame || !m_frame->isVisible()))
        return 0;
    return QApplication::exec();
}

bool InteractiveStart::Start()
{
    QApplication::setApplicationName(QString::fromStdString(m_application.name()));
    // The desktop entry the package installs: desktops show its name and icon for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pellora.Pellora"));
    QApplication::setWindowIcon(ui::ProductIcon());
    QApplication::setFont(NormalFont(QApplication::font()));
    QApplication::setQuitOnLastWindowClosed(false);

    const bool viewMode = m_application.IsViewMode();
    if (viewMode)
        m_viewModeFilter = std::make_unique<ViewModeInputFilter>();

    ui::SetBackImageOption(m_application.backImage());
    m_frame = std::make_unique<ui::CMainFrame>(m_application.environment(), m_application.settings());
    if (!m_frame->Create(m_application.language()))
        return false;
    m_quitWatcher = std::make_unique<QuitWhenHidden>(*m_frame);

    if (ui::CCoolDialogBar* bar = m_frame->DockingBar())
        bar->hide();
    if (!openDocuments())
        return false;
    if (viewMode && !createReceiver())
        return false;
    if (ui::CCoolDialogBar* bar = m_frame->DockingBar())
        bar->show();
    if (!m_frame->RestoreWindowState())
        m_frame->ResetLayout();
    m_frame->show();

    if (!viewMode) {
        publishWindow();
        if (m_application.commandLine().showSplash)
            m_splash = ui::SplashScreen::Show(m_application.programFolder());
    }
    return true;
}

bool InteractiveStart::openDocuments()
{
    const CommandLineInfo& commandLine = m_application.commandLine();
    switch (commandLine.shellCommand) {
    case ShellCommand::Dde:
        // The desktop's document exchange has no counterpart here: no request will come.
        return true;
    case ShellCommand::Open:
        for (const std::string& file : commandLine.fileList)
            m_frame->OpenDocumentFile(QFile::decodeName(QByteArray::fromStdString(file)));
        return true;
    case ShellCommand::None:
        break;
    }
    return m_frame->NewDocument();
}

bool InteractiveStart::createReceiver()
{
    m_receiver = std::make_unique<ui::CReceiverWindow>(m_frame.get(), m_application.programFolder(),
                                                       [](int status) { QCoreApplication::exit(status); });
    const ui::CReceiverWindow::Failure failure = m_receiver->Open(platform::StringServiceNames::ForUser());
    if (failure == ui::CReceiverWindow::Failure::None)
        return true;
    m_receiver.reset();
    m_application.presenter().Show(std::string(ui::CReceiverWindow::FailureText(failure)), m_application.name(), MB_OK);
    return false;
}

void InteractiveStart::publishWindow()
{
    // Later starts find this instance by "hWnd" and hand their files over through the socket, so the
    // socket listens before the value is written. Without the socket the value is written all the same:
    // a later start then learns at once that its files cannot be handed over.
    m_handOver.Listen(m_application.HandOverSocket());
    const std::int64_t handle = m_frame->WindowHandleValue();
    if (m_application.settings().SetInt(kSettingWindowHandle, handle))
        m_publishedHandle = handle;
}

void InteractiveStart::withdrawWindow()
{
    if (m_publishedHandle == 0)
        return;
    // Only the holder of the single-instance lock writes the value, so the cached file is current.
    UserSettings& settings = m_application.settings();
    if (settings.GetInt(kSettingWindowHandle, 0) == m_publishedHandle)
        settings.SetInt(kSettingWindowHandle, 0);
    m_publishedHandle = 0;
}

void InteractiveStart::takeHandedOverFiles(const QStringList& files)
{
    if (!m_frame)
        return;
    if (m_frame->isMinimized())
        m_frame->showNormal();
    m_frame->raise();
    m_frame->activateWindow();
    m_frame->OpenFiles(files);
}

} // namespace pellora
