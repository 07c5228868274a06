#pragma once

// The interactive start: fonts, main frame, first documents, hand-over socket, "hWnd", splash screen, event loop.

#include "app/DropFilesHandOver.h"
#include "app/ReporterMessageService.h"
#include "app/TerminationSignals.h"
#include "app/ViewModeInputFilter.h"
#include "ui/dialogs/SplashScreen.h"
#include "ui/frame/MainFrame.h"
#include "ui/shared/QtTranslations.h"

#include <QApplication>
#include <QFont>

#include <memory>

namespace pellora {

class Application;

class InteractiveStart {
public:
    InteractiveStart(Application& application, QApplication& gui);
    ~InteractiveStart();
    InteractiveStart(const InteractiveStart&) = delete;
    InteractiveStart& operator=(const InteractiveStart&) = delete;

    // Builds the windows and runs until the main window closes; returns the process status.
    int Run();
    // Everything before the event loop; false when the start must end.
    bool Start();
    ui::CMainFrame* frame() const { return m_frame.get(); }
    ui::SplashScreen* splash() const { return m_splash.get(); }

    // The normal font (9 points) and the bold font (12 points, weight 700) of the desktop's font.
    static QFont NormalFont(const QFont& desktop);
    static QFont BoldFont(const QFont& desktop);

private:
    bool openDocuments();
    void publishWindow();
    void takeHandedOverFiles(const QStringList& files);
    void withdrawWindow();

    Application& m_application;
    bool m_terminationRequested = false;
    ReporterMessageService m_messages;
    ui::QtTranslations m_qtTranslations; // follows the frame's language from its creation on
    std::unique_ptr<ViewModeInputFilter> m_viewModeFilter;
    std::unique_ptr<ui::CMainFrame> m_frame;
    std::unique_ptr<QObject> m_quitWatcher;
    DropFilesServer m_handOver;
    TerminationSignals m_signals;
    std::unique_ptr<ui::SplashScreen> m_splash;
    std::int64_t m_publishedHandle = 0; // the "hWnd" this start wrote, 0 when none
};

} // namespace pellora
