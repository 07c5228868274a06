#pragma once

// The process's one QApplication, made only when a window is needed, and whether a screen is there for it.

#include <QApplication>

#include <memory>
#include <string>

namespace pellora {

enum class DisplayKind {
    None,    // no platform the windows could be shown on
    Hidden,  // windows are drawn but nobody sees them (offscreen, minimal)
    Visible, // a screen the user looks at
};

// What QT_QPA_PLATFORM (the first usable entry of its ";" list), DISPLAY and WAYLAND_DISPLAY offer.
DisplayKind DisplayFromEnvironment();
// The platform of the running application when there is one, else DisplayFromEnvironment().
DisplayKind CurrentDisplay();

class GuiSession {
public:
    // programName: argv[0] of the process. Qt's own switches are not taken from the command line: the
    // program's switches share their "-" prefix.
    explicit GuiSession(std::string programName);
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

    // The application, made at the first call; nullptr when there is no display to make it on.
    QApplication* Ensure();
    QApplication* application() const { return m_application.get(); }

private:
    std::string m_programName;
    int m_argc = 1;
    char* m_argv[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> m_application;
};

} // namespace pellora
