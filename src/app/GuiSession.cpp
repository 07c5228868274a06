#include "app/GuiSession.h"

#include "core/platform/Profile.h"

#include <QGuiApplication>

#include <cstdlib>
#include <string_view>

namespace pellora {

namespace {

bool environmentSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

DisplayKind platformDisplay(std::string_view platform)
{
    platform = platform.substr(0, platform.find(':')); // plugin arguments follow a colon
    platform = platform::TrimBlanks(platform);
    if (platform.empty())
        return DisplayKind::None;
    if (platform == "offscreen" || platform == "minimal" || platform == "minimalegl")
        return DisplayKind::Hidden;
    if (platform == "xcb")
        return environmentSet("DISPLAY") ? DisplayKind::Visible : DisplayKind::None;
    if (platform.substr(0, 7) == "wayland")
        return environmentSet("WAYLAND_DISPLAY") ? DisplayKind::Visible : DisplayKind::None;
    return DisplayKind::Visible; // framebuffer and remote platforms need nothing from the environment
}

} // namespace

DisplayKind DisplayFromEnvironment()
{
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen == nullptr || *chosen == '\0')
        return environmentSet("DISPLAY") || environmentSet("WAYLAND_DISPLAY") ? DisplayKind::Visible
                                                                              : DisplayKind::None;
    std::string_view list(chosen);
    while (!list.empty()) {
        const std::size_t end = list.find(';');
        const DisplayKind kind = platformDisplay(list.substr(0, end));
        if (kind != DisplayKind::None)
            return kind;
        if (end == std::string_view::npos)
            break;
        list.remove_prefix(end + 1);
    }
    return DisplayKind::None;
}

DisplayKind CurrentDisplay()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        const QString platform = QGuiApplication::platformName();
        return platform == "offscreen" || platform == "minimal" || platform == "minimalegl" ? DisplayKind::Hidden
                                                                                              : DisplayKind::Visible;
    }
    return DisplayFromEnvironment();
}

GuiSession::GuiSession(std::string programName)
    : m_programName(std::move(programName))
{
    if (m_programName.empty())
        m_programName = "pellora";
    m_argv[0] = m_programName.data();
}

GuiSession::~GuiSession() = default;

QApplication* GuiSession::Ensure()
{
    if (m_application)
        return m_application.get();
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return existing;
    if (DisplayFromEnvironment() == DisplayKind::None)
        return nullptr;
    m_application = std::make_unique<QApplication>(m_argc, m_argv);
    return m_application.get();
}

} // namespace pellora
