// Draws the windows on the offscreen platform and writes them as PNG pictures: the main window with a
// project of one printer (the most a project holds) at its default and at a small size, each list mode,
// each property page, the left pane, the about box, a message box, the close question and the option
// dialogs, in English, German and Japanese.

#include "app/InteractiveStart.h"
#include "app/QtMessagePresenter.h"
#include "core/document/Corvan2Doc.h"
#include "core/i18n/StringTable.h"
#include "core/platform/UserSettings.h"
#include "core/util/MessageNumbers.h"
#include "core/util/Support.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/CoolDialogBar.h"
#include "ui/frame/MainFrame.h"
#include "ui/options/CustomDlg.h"
#include "ui/options/HeaderDlg.h"
#include "ui/options/RovivDlg.h"
#include "ui/options/SecurityDlg.h"
#include "ui/options/UtilityDlg.h"
#include "ui/project/Corvan2View.h"
#include "ui/project/Corvan2ViewIds.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/ListCtrl_Printer.h"
#include "ui/shared/MessageService.h"
#include "ui/shared/ProductArt.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace pellora {
namespace {

struct Language {
    std::uint16_t id;
    const char* tag;
};

constexpr Language kShotLanguages[] = {{0x0000, "en"}, {0x0407, "de"}, {0x0411, "ja"}};

struct ListMode {
    int command;
    const char* name;
};

constexpr ListMode kListModes[] = {
    {ui::ID_VIEW_LARGEICON, "large-icons"},
    {ui::ID_VIEW_SMALLICON, "small-icons"},
    {ui::ID_VIEW_LIST, "list"},
    {ui::ID_VIEW_DETAILS, "details"},
};

constexpr const char* kPageNames[] = {"printer", "driver", "script"};

void settle(int milliseconds = 60)
{
    QElapsedTimer clock;
    clock.start();
    do
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    while (clock.elapsed() < milliseconds);
}

class Camera {
public:
    explicit Camera(QString folder)
        : m_folder(std::move(folder))
    {
    }

    bool Take(QWidget& window, const QString& name)
    {
        settle();
        const QString file = m_folder + "/" + name + ".png";
        if (!window.grab().save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            m_failed = true;
            return false;
        }
        std::printf("%s\n", qPrintable(file));
        ++m_count;
        return true;
    }

    bool failed() const { return m_failed; }
    int count() const { return m_count; }

private:
    QString m_folder;
    bool m_failed = false;
    int m_count = 0;
};

void fillPrinter(CPrinterInfoEx& printer)
{
    printer.SetNetwork(1, "192.168.10.25", "255.255.255.0", "00:80:92:4A:1C:3E", "");
    printer.SetIdentity("", "Office RX-C3400", "RX-C3400", "");
    printer.SetOptionFlags(1);
    printer.driverFolders = {"/srv/drivers/RX-C3400"};
    printer.comment = "Second floor, beside the stairs";
    printer.location = "Building A";
}

// The questions in their boxes, as the program asks them; numbered messages are not pictured through it.
class QuestionBoxes final : public ui::MessageService {
public:
    int ShowMessage(int) override { return 0; }
    int ShowFileMessage(int, std::string_view) override { return 0; }
    int ShowDetailedMessage(int, std::string_view) override { return 0; }
};

// A window of its own for a project view that the project window does not show yet.
struct ViewWindow {
    QWidget window;
    std::unique_ptr<ui::CCorvan2View> view;
};

// The project view of the frame's active project.
ui::CCorvan2View* projectView(ui::CMainFrame& frame, std::unique_ptr<ViewWindow>& own)
{
    if (auto* view = frame.findChild<ui::CCorvan2View*>())
        return view;
    ui::CChildFrame* child = frame.ActiveChild();
    if (child == nullptr)
        return nullptr;
    own = std::make_unique<ViewWindow>();
    own->window.resize(764 - 260, 420);
    own->view = std::make_unique<ui::CCorvan2View>(child->Document(), &own->window);
    own->view->setGeometry(own->window.rect());
    own->window.show();
    return own->view.get();
}

void shootDialog(ui::COptionDialog& dialog, Camera& camera, const QString& name)
{
    dialog.Initialise();
    dialog.show();
    camera.Take(dialog, name);
    dialog.hide();
}

// The option dialogs with their own values, as the preview shows them; the Roviv dialog with and without
// the port settings of the machine setting.
void shootOptionDialogs(const fs::path& programFolder, Camera& camera, const QString& tag)
{
    ui::CCustomDlg custom(programFolder);
    shootDialog(custom, camera, tag + "dialog-custom");
    ui::CUtilityDlg utility(programFolder);
    shootDialog(utility, camera, tag + "dialog-utility");
    ui::CRovivDlg roviv(ui::CRovivDlg::kShowPortSettings);
    shootDialog(roviv, camera, tag + "dialog-roviv");
    ui::CRovivDlg rovivShort(std::uint32_t {0});
    shootDialog(rovivShort, camera, tag + "dialog-roviv-short");
    ui::CSecurityDlg security;
    SecurityBlock block;
    block.BlockPattern = 1;
    block.BlockPatternColor = 0;
    block.BlockPatternArrange = 0;
    block.HeaderFooter = 1;
    block.Lock = 0x11;
    security.SetBlock(block);
    shootDialog(security, camera, tag + "dialog-security");
    ui::CHeaderDlg header;
    header.SetValues({1, -1, 4, -1, 6, -1});
    shootDialog(header, camera, tag + "dialog-header");
}

bool shootLanguage(const Language& language, const fs::path& programFolder, const fs::path& settingsFile, Camera& camera)
{
    if (!TheStringTable().Load(programFolder, language.id, kStringTableGroup)) {
        std::fprintf(stderr, "no string table for language %04X\n", language.id);
        return false;
    }
    const QString tag = QString::fromLatin1(language.tag) + "-";

    ui::CMainFrame frame {BuildEnvironment::ForProgramFolder(programFolder), UserSettings(settingsFile)};
    if (!frame.Create(language.id) || !frame.NewDocument()) {
        std::fprintf(stderr, "the main frame cannot be made\n");
        return false;
    }
    frame.show();
    settle(200);

    std::unique_ptr<ViewWindow> ownWindow;
    ui::CCorvan2View* view = projectView(frame, ownWindow);
    if (ui::CChildFrame* child = frame.ActiveChild()) {
        CCorvan2Doc& document = child->Document();
        if (CPrinterInfoEx* printer = document.AddPrinter()) {
            fillPrinter(*printer);
            document.UpdateAllViews();
            // The pages show the selected printer.
            if (view != nullptr && view->ListCtrl() != nullptr)
                view->ListCtrl()->SelectRecord(printer);
        }
        child->showMaximized();
    }
    camera.Take(frame, tag + "main-window");
    const QSize defaultSize = frame.size();
    frame.resize(640, 480);
    camera.Take(frame, tag + "main-window-small");
    frame.resize(defaultSize);

    QWidget& viewWindow = ownWindow ? ownWindow->window : static_cast<QWidget&>(frame);
    if (view != nullptr) {
        for (const ListMode& mode : kListModes) {
            view->OnCommand(mode.command);
            camera.Take(viewWindow, tag + "list-" + mode.name);
        }
        if (QTabWidget* tabs = view->Tabs()) {
            for (int page = 0; page < tabs->count(); ++page) {
                tabs->setCurrentIndex(page);
                const QString name = page < static_cast<int>(std::size(kPageNames)) ? kPageNames[page]
                                                                                     : QString::number(page);
                camera.Take(viewWindow, tag + "tab-" + name);
            }
        }
    } else {
        std::fprintf(stderr, "no project view to show\n");
    }

    if (ui::CCoolDialogBar* bar = frame.DockingBar()) {
        bar->show();
        camera.Take(*bar, tag + "left-pane");
    }

    ui::CAboutDlg about(&frame);
    about.show();
    camera.Take(about, tag + "about-box");
    about.hide();

    const std::string text = "Project1.qst:\n" + TheStringTable().GetItemText("MESSAGE", kMessageCannotOpenFile);
    const int style = MB_OK | MB_ICONEXCLAMATION;
    QMessageBox box(QtMessagePresenter::IconOf(style), QString::fromStdString(GetOwnProductName()),
                    QtMessagePresenter::DisplayText(text), QtMessagePresenter::ButtonsOf(style), &frame);
    box.setTextFormat(Qt::PlainText);
    box.show();
    camera.Take(box, tag + "message-box");
    box.hide();

    // The question on closing a changed project, taken while it waits for its answer.
    QuestionBoxes questions;
    QTimer::singleShot(100, &frame, [&camera, &tag] {
        if (QWidget* question = QApplication::activeModalWidget()) {
            camera.Take(*question, tag + "close-question");
            question->close();
        }
    });
    questions.AskQuestion(ui::ItemText(ui::kQuestionSection, ui::kQuestionSaveChanges).replace("%1", "Project1.qst"),
                          true);

    shootOptionDialogs(programFolder, camera, tag);
    return true;
}

} // namespace
} // namespace pellora

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <program folder> <picture folder>\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    QApplication::setWindowIcon(pellora::ui::ProductIcon());
    QApplication::setFont(pellora::InteractiveStart::NormalFont(QApplication::font()));

    const fs::path programFolder = fs::absolute(argv[1]);
    const QString pictures = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    if (!QDir().mkpath(pictures)) {
        std::fprintf(stderr, "cannot create %s\n", argv[2]);
        return 1;
    }
    // The windows keep their state in a settings file of this run, not in the user's.
    const pellora::ScopedTempFolder settings;
    if (!settings.valid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }

    pellora::Camera camera(pictures);
    bool complete = true;
    for (const pellora::Language& language : pellora::kShotLanguages)
        complete = pellora::shootLanguage(language, programFolder, settings.path() / "Pellora.ini", camera) && complete;
    return complete && !camera.failed() ? 0 : 1;
}
