#include "ui/frame/MainFrame.h"

#include "MainFrameTestSupport.h"
#include "support/FileTreeSupport.h"
#include "core/util/IniFile.h"
#include "core/util/MessageNumbers.h"
#include "ui/frame/BuildNotice.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/CommandTable.h"
#include "ui/frame/CoolDialogBar.h"
#include "ui/frame/DocumentTabBar.h"
#include "ui/frame/LogoBar.h"
#include "ui/frame/MdiClient.h"
#include "ui/frame/WindowPlacement.h"
#include "ui/leftpane/LeftPane.h"
#include "ui/project/Corvan2View.h"
#include "ui/project/Tab_PrinterInfoIds.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/ListCtrl_Printer.h"
#include "ui/shared/PrinterMimeData.h"
#include "ui/shared/RetextRegistry.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace pellora::ui {
namespace {

using frametest::FrameEnvironment;
using frametest::RecordingMessages;
using frametest::Settle;
using frametest::WaitFor;
using frametest::WhenDocumentDialogOpens;

QString text(const std::filesystem::path& path)
{
    return QFile::decodeName(path.c_str());
}

struct State {
    bool enabled;
    bool checked;
    bool operator==(const State&) const = default;
};

std::ostream& operator<<(std::ostream& out, const State& state)
{
    return out << (state.enabled ? "enabled" : "disabled") << (state.checked ? "+checked" : "");
}

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QImage logo(200, 30, QImage::Format_RGB32);
        logo.fill(Qt::darkBlue);
        ASSERT_TRUE(logo.save(text(m_environment.folder() / "CVDATA2.DAT"), "BMP"));
        m_frame = makeFrame();
    }

    std::unique_ptr<CMainFrame> makeFrame()
    {
        auto frame = std::make_unique<CMainFrame>(m_environment.environment(), m_environment.settings());
        EXPECT_TRUE(frame->Create(CurrentLanguage()));
        frame->SetNoticePresenter([this](const QString&, const QString& notice) { m_notices << notice; });
        frame->SetUrlOpener([this](const QUrl& url) {
            m_opened << url;
            return true;
        });
        return frame;
    }

    State state(int id) const
    {
        State result {};
        m_frame->UpdateCommand(id, result.enabled, result.checked);
        // The update pass gives the actions the same state.
        m_frame->UpdateCommands();
        const QAction* action = m_frame->CommandAction(id);
        EXPECT_NE(action, nullptr) << id;
        if (action) {
            EXPECT_EQ(action->isEnabled(), result.enabled) << id;
            if (action->isCheckable()) {
                EXPECT_EQ(action->isChecked(), result.checked) << id;
            }
        }
        return result;
    }

    QStringList menuCaptions() const
    {
        QStringList captions;
        for (const QAction* action : m_frame->menuBar()->actions())
            captions << action->text();
        return captions;
    }

    FrameEnvironment m_environment;
    std::unique_ptr<CMainFrame> m_frame;
    QStringList m_notices;
    QList<QUrl> m_opened;
};

constexpr State kOn {true, false};
constexpr State kOff {false, false};
constexpr State kChecked {true, true};

// ---- creation and texts ---------------------------------------------------------------------------

TEST_F(MainFrameTest, CreationMakesEveryBarWithItsNumberAndTexts)
{
    EXPECT_EQ(m_frame->windowTitle(), "Pellora");
    EXPECT_EQ(m_frame->size(), CMainFrame::DefaultFrameSize(m_frame->screen()->availableGeometry()));
    EXPECT_EQ(CMainFrame::DefaultFrameSize(QRect(0, 0, 1920, 1080)), QSize(1024, 720));
    EXPECT_EQ(CMainFrame::DefaultFrameSize(QRect(0, 0, 800, 600)), QSize(800, 600));
    EXPECT_EQ(ControlId(m_frame->StandardToolBar()), 59392);
    EXPECT_EQ(ControlId(m_frame->ProjectToolBar()), 59424);
    EXPECT_EQ(ControlId(m_frame->LogoBar()), 59425);
    EXPECT_EQ(ControlId(m_frame->statusBar()), 59396);
    EXPECT_EQ(ControlId(m_frame->DockingBar()), 59426);
    EXPECT_EQ(ControlId(m_frame->DocumentTabs()), 1000);
    EXPECT_EQ(m_frame->StandardToolBar()->windowTitle(), "Toolbar");
    EXPECT_EQ(m_frame->ProjectToolBar()->windowTitle(), "Toolbar");
    EXPECT_EQ(m_frame->DockingBar()->windowTitle(), "Printer Selection");

    QStringList projectButtons;
    for (const QAction* action : m_frame->ProjectToolBar()->actions())
        projectButtons << action->text();
    EXPECT_EQ(projectButtons, QStringList({"Printer Selection", "Add Printer", "Save Script", "Create Package"}));
    EXPECT_EQ(m_frame->ProjectToolBar()->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    std::vector<int> standardIds;
    for (const QAction* action : m_frame->StandardToolBar()->actions()) {
        standardIds.push_back(CommandTable::CommandId(action));
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull());
        }
    }
    EXPECT_EQ(standardIds, std::vector<int>({57600, 57601, 57603, 0, 57635, 57634, 57637, 57632}));
    EXPECT_EQ(m_frame->StandardToolBar()->actions()[1]->toolTip(), "Open");

    QLabel* pane = m_frame->StatusPane();
    EXPECT_EQ(pane->text(), "Ready");
    EXPECT_EQ(pane->width(), pane->fontMetrics().horizontalAdvance("Ready") + 2);
    EXPECT_GE(m_frame->statusBar()->minimumHeight(), 23);

    EXPECT_EQ(menuCaptions(), QStringList({"&File", "&Edit", "&View", "&Window", "&Help"}));
    EXPECT_EQ(m_frame->CommandAction(ID_FILE_NEW)->text(), "&New\tCtrl+N");
    EXPECT_EQ(m_frame->CommandAction(ID_VIEW_RESET_LAYOUT)->text(), "&Reset Layout");
    // The language and watermark commands have no menu item.
    for (const int id : std::initializer_list<int>{ID_LANGUAGE_NEUTRAL, ID_LANGUAGE_JAPANESE, ID_LANGUAGE_NEXT, ID_VIEW_WATERMARK}) {
        for (const QMenu* menu : m_frame->menuBar()->findChildren<QMenu*>())
            EXPECT_FALSE(menu->actions().contains(m_frame->CommandAction(id))) << id;
    }

    // The logo bar is six pixels higher than its picture.
    EXPECT_EQ(m_frame->LogoBar()->Button()->Picture().size(), QSize(200, 30));
    EXPECT_EQ(m_frame->LogoBar()->Button()->sizeHint().height(), 36);
}

TEST_F(MainFrameTest, AMissingOrBrokenLogoPictureLeavesAnEmptyLogoBar)
{
    CLogoBar bar;
    EXPECT_FALSE(bar.LoadPicture(m_environment.folder() / "absent.dat"));
    EXPECT_TRUE(bar.Button()->Picture().isNull());
    EXPECT_FALSE(bar.LoadPicture(m_environment.writeText("CVDATA2.DAT", "BM not really a picture")));
    EXPECT_EQ(bar.Button()->sizeHint().height(), CLogoBar::kExtraHeight);
}

// Every text that a fragment's sections name is in its own table, in every language, and in range.
TEST(MainFrameFragmentTest, EveryLanguageHoldsEveryTextOfTheFrame)
{
    std::map<std::string, std::set<std::string>> referencesByLanguage;
    for (const LanguageInfo& row : kLanguages) {
        const std::string language = test::LanguageCode(row.id);
        const std::string fragment = frametest::ReadSourceFile("resources/strings/" + language + "/MainFrame.txt");
        ASSERT_FALSE(fragment.empty()) << language;
        ASSERT_EQ(fragment.back(), '\n') << language;
        CIniFile ini;
        ini.Parse(fragment);
        const CIniSection* texts = ini.FindSection("String Table");
        ASSERT_NE(texts, nullptr) << language;
        std::set<std::string> numbers;
        for (const IniEntry& entry : texts->GetEntries()) {
            const int number = std::stoi(entry.key);
            EXPECT_GE(number, 10000) << language;
            EXPECT_LE(number, 19999) << language;
            EXPECT_FALSE(entry.value.empty()) << language << " " << number;
            numbers.insert(entry.key);
        }
        for (const CIniSection& section : ini.GetSections()) {
            if (section.GetName() == "String Table")
                continue;
            EXPECT_EQ(section.GetName().rfind("Pellorix.exe\\", 0), 0u) << section.GetName();
            for (const IniEntry& entry : section.GetEntries()) {
                referencesByLanguage[language].insert(section.GetName() + "=" + entry.value);
                std::string list = entry.value.substr(entry.value.find(':') + 1);
                for (std::size_t start = 0; start <= list.size();) {
                    const std::size_t comma = std::min(list.find(',', start), list.size());
                    EXPECT_TRUE(numbers.count(list.substr(start, comma - start)))
                        << language << " " << section.GetName() << " " << entry.key;
                    start = comma + 1;
                }
            }
        }
    }
    for (const LanguageInfo& row : kLanguages)
        EXPECT_EQ(referencesByLanguage["0000"], referencesByLanguage[test::LanguageCode(row.id)]) << row.name;
}

// ---- command states -------------------------------------------------------------------------------

TEST_F(MainFrameTest, CommandStatesWithoutAProject)
{
    const std::map<int, State> expected {
        {ID_FILE_NEW, kOn},
        {ID_FILE_OPEN, kOn},
        {ID_FILE_CLOSE, kOff},
        {ID_FILE_SAVE, kOff},
        {ID_FILE_SAVE_AS, kOff},
        {ID_FILE_SAVE_SCRIPT, kOff},
        {ID_FILE_CREATE_PACKAGE, kOff},
        {ID_FILE_MRU_FILE1, kOff},
        {ID_APP_EXIT, kOn},
        {ID_EDIT_CUT, kOff},
        {ID_EDIT_COPY, kOff},
        {ID_EDIT_PASTE, kOff},
        {ID_EDIT_CLEAR, kOff},
        {ID_PRINTER_ADD, kOff},
        {ID_VIEW_LARGEICON, kOff},
        {ID_VIEW_DETAILS, kOff},
        {ID_VIEW_BIG_ICONS, kOff},
        {ID_VIEW_RESET_LAYOUT, kOn},
        {ID_WINDOW_CASCADE, kOff},
        {ID_WINDOW_TILE_HORZ, kOff},
        {ID_WINDOW_CLOSE_ALL, kOff},
        {ID_APP_ABOUT, kOn},
        {ID_LANGUAGE_NEUTRAL, kChecked},
        {ID_LANGUAGE_JAPANESE, kOn},
        {ID_LANGUAGE_NEXT, kOn},
        {ID_VIEW_WATERMARK, kOn},
        {ID_LOGO, kOn},
    };
    for (const auto& [id, wanted] : expected)
        EXPECT_EQ(state(id), wanted) << id;
    // The bars of a frame not yet shown count as shown.
    m_frame->show();
    for (const int id : std::initializer_list<int>{ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, IDW_LOGO_BAR, ID_VIEW_PRINTER_SELECTION, ID_VIEW_DOCKING})
        EXPECT_EQ(state(id), kChecked) << id;
    // The menu entry of the empty recently-used list shows its caption.
    EXPECT_EQ(m_frame->CommandAction(ID_FILE_MRU_FILE1)->text(), "Recent File");
    EXPECT_FALSE(m_frame->CommandAction(ID_FILE_MRU_FILE1 + 1)->isVisible());
}

TEST_F(MainFrameTest, BarCommandsShowAndHideTheirBarsAndCheckThemWhileShown)
{
    m_frame->show();
    ASSERT_TRUE(m_frame->OnCommand(ID_VIEW_TOOLBAR));
    EXPECT_TRUE(m_frame->StandardToolBar()->isHidden());
    EXPECT_TRUE(m_frame->ProjectToolBar()->isHidden());
    EXPECT_EQ(state(ID_VIEW_TOOLBAR), kOn);
    // With the standard toolbar hidden both come back, whatever the project toolbar does.
    m_frame->ProjectToolBar()->show();
    m_frame->OnCommand(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(m_frame->StandardToolBar()->isHidden());
    EXPECT_FALSE(m_frame->ProjectToolBar()->isHidden());
    EXPECT_EQ(state(ID_VIEW_TOOLBAR), kChecked);

    m_frame->OnCommand(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(m_frame->statusBar()->isHidden());
    EXPECT_EQ(state(ID_VIEW_STATUS_BAR), kOn);
    m_frame->OnCommand(IDW_LOGO_BAR);
    EXPECT_TRUE(m_frame->LogoBar()->isHidden());
    EXPECT_EQ(state(IDW_LOGO_BAR), kOn);

    m_frame->OnCommand(ID_VIEW_PRINTER_SELECTION);
    EXPECT_TRUE(m_frame->DockingBar()->isHidden());
    EXPECT_EQ(state(ID_VIEW_PRINTER_SELECTION), kOn);
    m_frame->OnCommand(ID_VIEW_PRINTER_SELECTION);
    EXPECT_FALSE(m_frame->DockingBar()->isHidden());

    m_frame->OnCommand(ID_VIEW_DOCKING);
    EXPECT_TRUE(m_frame->DockingBar()->isFloating());
    EXPECT_EQ(state(ID_VIEW_DOCKING), kOn);
    m_frame->OnCommand(ID_VIEW_DOCKING);
    EXPECT_TRUE(m_frame->DockingBar()->IsDocked());
    EXPECT_EQ(state(ID_VIEW_DOCKING), kChecked);

    // The close button of the bar's caption hides the bar through the printer-selection command.
    QTest::mouseClick(FindControl(m_frame->DockingBar()->CaptionStrip(), IDC_CAPTION_CLOSE), Qt::LeftButton);
    EXPECT_TRUE(m_frame->DockingBar()->isHidden());

    // The toolbar button carries the command too and shows its state.
    QAction* button = m_frame->ProjectToolBar()->actions()[0];
    button->trigger();
    EXPECT_FALSE(m_frame->DockingBar()->isHidden());
    m_frame->UpdateCommands();
    EXPECT_TRUE(button->isChecked());
}

TEST_F(MainFrameTest, ProjectCommandsFollowTheOpenWindows)
{
    ASSERT_TRUE(m_frame->NewDocument());
    for (const int id : std::initializer_list<int>{ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ,
                         ID_WINDOW_CLOSE_ALL})
        EXPECT_EQ(state(id), kOn) << id;
    ASSERT_TRUE(m_frame->OnCommand(ID_FILE_CLOSE));
    Settle();
    EXPECT_TRUE(m_frame->Children().empty());
    EXPECT_EQ(state(ID_FILE_SAVE), kOff);

    m_frame->NewDocument();
    m_frame->NewDocument();
    ASSERT_EQ(m_frame->Children().size(), 2u);
    ASSERT_TRUE(m_frame->OnCommand(ID_WINDOW_CLOSE_ALL));
    EXPECT_TRUE(WaitFor([this] { return m_frame->Children().empty(); }));
}

TEST_F(MainFrameTest, AProjectsNoticeTakesThePlaceOfTheIdleTextAndOutlastsARetext)
{
    ASSERT_TRUE(m_frame->NewDocument());
    const QString idle = m_frame->StatusPane()->text();
    const QString notice = QStringLiteral("The package was built without the client installer.");
    emit m_frame->Children().front()->View()->statusNotice(notice);
    EXPECT_EQ(m_frame->StatusPane()->text(), notice);
    EXPECT_GT(m_frame->StatusPane()->width(), m_frame->StatusPane()->fontMetrics().horizontalAdvance(idle));
    m_frame->Retext();
    EXPECT_EQ(m_frame->StatusPane()->text(), notice);
}

TEST_F(MainFrameTest, ProjectsOpenedBeforeTheFrameIsShownCascadeInItsWholeClientArea)
{
    ASSERT_FALSE(m_frame->isVisible());
    m_frame->NewDocument();
    m_frame->NewDocument();
    const auto children = m_frame->Children();
    ASSERT_EQ(children.size(), 2u);
    const QRect client(QPoint(0, 0), m_frame->MdiClient()->maximumViewportSize());
    EXPECT_GT(client.width(), 400);
    EXPECT_EQ(children[0]->geometry(), client.adjusted(8, 8, -8, -8));
    const int step = children[1]->CascadeStep();
    EXPECT_EQ(children[1]->geometry(), children[0]->geometry().adjusted(step, step, 0, 0));
}

TEST_F(MainFrameTest, ViewModeIgnoresTheFrameCommandsAndShowsEverythingDisabled)
{
    m_frame->show();
    m_frame->NewDocument();
    SetViewMode(true);
    for (const int id : std::initializer_list<int>{ID_FILE_NEW, ID_FILE_SAVE, ID_VIEW_TOOLBAR, ID_VIEW_DOCKING, ID_VIEW_RESET_LAYOUT,
                         ID_APP_EXIT, ID_LANGUAGE_NEUTRAL})
        EXPECT_EQ(state(id), kOff) << id;

    EXPECT_TRUE(m_frame->OnCommand(ID_VIEW_TOOLBAR));
    EXPECT_FALSE(m_frame->StandardToolBar()->isHidden());
    m_frame->OnCommand(ID_VIEW_DOCKING);
    EXPECT_TRUE(m_frame->DockingBar()->IsDocked());
    m_frame->OnCommand(ID_LANGUAGE_JAPANESE);
    EXPECT_EQ(CurrentLanguage(), 0);
    m_frame->OnCommand(ID_VIEW_WATERMARK);
    EXPECT_EQ(BackImageOption(), 0);
    m_frame->OnCommand(ID_LOGO);
    EXPECT_TRUE(m_opened.isEmpty());
    m_frame->OnCommand(ID_FILE_SAVE_AS);
    EXPECT_TRUE(m_environment.messages.shown.empty());

    // The menus re-texted in view mode are disabled item by item.
    m_frame->RetextMenuBar();
    EXPECT_FALSE(m_frame->Menu(0)->actions().front()->isEnabled());
}

TEST_F(MainFrameTest, AFrameMadeInViewModeCannotBeClosedByTheUser)
{
    SetViewMode(true);
    const auto frame = makeFrame();
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowCloseButtonHint);
    SetViewMode(false);
    EXPECT_EQ(state(ID_APP_EXIT), kOn);
    bool enabled = true;
    bool checked = false;
    frame->UpdateCommand(ID_APP_EXIT, enabled, checked);
    EXPECT_FALSE(enabled);
}

// ---- window state ---------------------------------------------------------------------------------

TEST_F(MainFrameTest, ThePlacementIsStoredAsEightyEightDigitsAndRestored)
{
    m_frame->show();
    m_frame->setGeometry(120, 80, 700, 500);
    ASSERT_TRUE(m_frame->OnCommand(ID_VIEW_STATUS_BAR));
    ASSERT_TRUE(m_frame->statusBar()->isHidden());
    m_frame->SaveWindowState();

    const std::string stored = m_environment.settings().GetString("Placement");
    ASSERT_EQ(stored.size(), 88u);
    EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    const auto placement = WindowPlacement::FromText(stored);
    ASSERT_TRUE(placement.has_value());
    EXPECT_EQ(placement->length, 44u);
    EXPECT_EQ(placement->showCmd, WindowPlacement::kShowNormal);
    EXPECT_EQ(QRect(QPoint(placement->left, placement->top), QPoint(placement->right - 1, placement->bottom - 1)),
              m_frame->normalGeometry());
    EXPECT_FALSE(m_environment.settings().GetString("BarState").empty());

    const auto restored = makeFrame();
    ASSERT_TRUE(restored->RestoreWindowState());
    EXPECT_EQ(restored->geometry(), m_frame->normalGeometry());
    EXPECT_FALSE(restored->windowState() & Qt::WindowMaximized);
    // The status bar stays hidden, like the other bars; shown again, it comes back shown.
    EXPECT_TRUE(restored->statusBar()->isHidden());
    ASSERT_TRUE(restored->OnCommand(ID_VIEW_STATUS_BAR));
    restored->SaveWindowState();
    const auto again = makeFrame();
    ASSERT_TRUE(again->RestoreWindowState());
    EXPECT_FALSE(again->statusBar()->isHidden());
}

// On a later start the projects are opened before the stored placement comes back: they are placed and
// sized anew in the client area of the restored frame, none larger than it.
TEST_F(MainFrameTest, ProjectsOpenedBeforeARestoredPlacementFitItsClientArea)
{
    m_frame->NewDocument();
    m_frame->NewDocument();
    const QSize openedIn = m_frame->MdiClient()->maximumViewportSize();
    WindowPlacement placement;
    placement.left = 40;
    placement.top = 30;
    placement.right = 40 + 600;
    placement.bottom = 30 + 450;
    m_environment.settings().SetString("Placement", placement.ToText());
    ASSERT_TRUE(m_frame->RestoreWindowState());
    m_frame->show();
    Settle();

    const std::vector<CChildFrame*> children = m_frame->Children();
    ASSERT_EQ(children.size(), 2u);
    const QRect client = m_frame->MdiClient()->viewport()->rect();
    ASSERT_LT(client.width(), openedIn.width() - 100);
    EXPECT_EQ(children[0]->geometry(), client.adjusted(8, 8, -8, -8));
    const int step = children[1]->CascadeStep();
    EXPECT_EQ(children[1]->geometry(), children[0]->geometry().adjusted(step, step, 0, 0));
    for (const CChildFrame* child : children)
        EXPECT_TRUE(client.contains(child->geometry())) << child->geometry().width() << "x" << child->geometry().height();
}

TEST_F(MainFrameTest, AMaximisedFrameComesBackMaximisedAndLowerCaseDigitsAreRead)
{
    WindowPlacement placement;
    placement.showCmd = WindowPlacement::kShowMaximized;
    placement.left = 50;
    placement.top = 60;
    placement.right = 650;
    placement.bottom = 560;
    std::string lower = placement.ToText();
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    m_environment.settings().SetString("Placement", lower);
    ASSERT_TRUE(m_frame->RestoreWindowState());
    EXPECT_TRUE(m_frame->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(m_frame->normalGeometry(), QRect(50, 60, 600, 500));

    // A frame closed while minimised comes back as it would have been restored.
    placement.showCmd = WindowPlacement::kShowMinimized;
    placement.flags = 0;
    m_environment.settings().SetString("Placement", placement.ToText());
    const auto second = makeFrame();
    ASSERT_TRUE(second->RestoreWindowState());
    EXPECT_FALSE(second->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}

TEST_F(MainFrameTest, APlacementOfAnotherLengthOrOffEveryScreenIsNotApplied)
{
    const QRect before = m_frame->geometry();
    EXPECT_FALSE(m_frame->RestoreWindowState()); // nothing stored
    WindowPlacement placement;
    placement.right = 500;
    placement.bottom = 400;
    m_environment.settings().SetString("Placement", placement.ToText().substr(0, 86));
    EXPECT_FALSE(m_frame->RestoreWindowState());
    EXPECT_EQ(m_frame->geometry(), before);

    placement.left = 90000;
    placement.right = 90500;
    m_environment.settings().SetString("Placement", placement.ToText());
    m_environment.settings().SetString("BarState", "not hexadecimal at all");
    EXPECT_TRUE(m_frame->RestoreWindowState());
    EXPECT_EQ(m_frame->geometry(), before);
    EXPECT_TRUE(m_frame->DockingBar()->IsDocked());
}

TEST_F(MainFrameTest, AFloatingBarKeepsItsSizeAndPlaceAcrossRuns)
{
    m_frame->show();
    m_frame->DockingBar()->FloatAt(QRect(30, 40, 300, 420));
    m_frame->StandardToolBar()->hide();
    m_frame->SaveWindowState();
    const UserSettings settings = m_environment.settings();
    EXPECT_EQ(settings.GetInt("BarWidth"), 300);
    EXPECT_EQ(settings.GetInt("BarHeight"), 420);

    m_environment.settings().SetInt("BarWidth", 310);
    m_environment.settings().SetInt("BarHeight", 430);
    const auto restored = makeFrame();
    ASSERT_TRUE(restored->RestoreWindowState());
    restored->show();
    CCoolDialogBar* bar = restored->DockingBar();
    EXPECT_TRUE(bar->isFloating());
    EXPECT_TRUE(WaitFor([bar] { return bar->size() == QSize(310, 430); })) << bar->width() << "x" << bar->height();
    EXPECT_TRUE(restored->StandardToolBar()->isHidden());
    EXPECT_EQ(bar->allowedAreas(), Qt::NoDockWidgetArea);
}

TEST_F(MainFrameTest, ClosingStoresTheStateAndClearsTheHandOverValueItHolds)
{
    m_frame->show();
    m_environment.settings().SetInt("hWnd", m_frame->WindowHandleValue());
    EXPECT_TRUE(m_frame->close());
    EXPECT_EQ(m_environment.settings().GetInt("hWnd", -1), 0);
    EXPECT_EQ(m_environment.settings().GetString("Placement").size(), 88u);

    // Another instance's value stays.
    const auto other = makeFrame();
    other->show();
    m_environment.settings().SetInt("hWnd", 4242);
    EXPECT_TRUE(other->close());
    EXPECT_EQ(m_environment.settings().GetInt("hWnd"), 4242);
}

// Leaving the program asks about every changed project before any window closes: a Cancel keeps every
// project open, also one already answered with No, and the frame stores nothing.
TEST_F(MainFrameTest, AChangedProjectThatTheUserKeepsKeepsTheFrameOpen)
{
    m_frame->show();
    m_frame->NewDocument();
    m_frame->NewDocument();
    m_frame->NewDocument();
    const std::vector<CChildFrame*> children = m_frame->Children();
    children[0]->Document().SetModifiedFlag(true);
    children[2]->Document().SetModifiedFlag(true);
    RecordingMessages& messages = m_environment.messages;
    messages.questionAnswers = {kAnswerNo, kAnswerCancel};
    EXPECT_FALSE(m_frame->close());
    EXPECT_TRUE(m_frame->isVisible());
    ASSERT_EQ(messages.questions.size(), 2u);
    EXPECT_EQ(messages.questions[0].text, "Save changes to " + children[0]->windowTitle() + "?");
    EXPECT_EQ(messages.questions[1].text, "Save changes to " + children[2]->windowTitle() + "?");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(m_environment.settings().GetString("Placement").empty());
    Settle();
    EXPECT_EQ(m_frame->Children().size(), 3u);

    // No to both: everything closes without saving, and without a second question.
    messages.questionAnswers = {kAnswerNo, kAnswerNo};
    EXPECT_TRUE(m_frame->close());
    EXPECT_EQ(messages.questions.size(), 4u);
    Settle();
    EXPECT_TRUE(m_frame->Children().empty());
    EXPECT_FALSE(m_environment.settings().GetString("Placement").empty());
}

TEST_F(MainFrameTest, ResetLayoutFloatsTheBarBesideTheCentredFrame)
{
    // A large desktop holds the bar beside a frame of the default size, centred together.
    const auto wide = CMainFrame::ComputeResetLayout(QRect(0, 0, 1920, 1080), 600);
    EXPECT_EQ(wide.bar, QRect(318, 180, 260, 720));
    EXPECT_EQ(wide.frame, QRect(578, 180, 1024, 720));
    // On a smaller one the frame takes what the bar leaves.
    const auto rects = CMainFrame::ComputeResetLayout(QRect(0, 0, 1024, 768), 600);
    EXPECT_EQ(rects.bar, QRect(0, 24, 260, 720));
    EXPECT_EQ(rects.frame, QRect(260, 24, 764, 720));
    const auto shifted = CMainFrame::ComputeResetLayout(QRect(100, 20, 1024, 768), 600);
    EXPECT_EQ(shifted.bar.topLeft(), QPoint(100, 44));
    // Too small for both: the frame keeps the width its toolbars need and stays on the desktop.
    const auto small = CMainFrame::ComputeResetLayout(QRect(0, 0, 800, 600), 600);
    EXPECT_EQ(small.bar, QRect(0, 0, 260, 600));
    EXPECT_EQ(small.frame, QRect(200, 0, 600, 600));

    m_frame->show();
    m_frame->NewDocument();
    m_frame->NewDocument();
    m_frame->StandardToolBar()->hide();
    m_frame->ProjectToolBar()->hide();
    m_frame->DockingBar()->hide();
    m_frame->showMaximized();
    ASSERT_TRUE(m_frame->OnCommand(ID_VIEW_RESET_LAYOUT));

    const auto expected = CMainFrame::ComputeResetLayout(m_frame->screen()->availableGeometry());
    EXPECT_FALSE(m_frame->isMaximized());
    EXPECT_TRUE(WaitFor([&] { return m_frame->frameGeometry().topLeft() == expected.frame.topLeft(); }));
    EXPECT_EQ(m_frame->frameGeometry().size(), expected.frame.size());
    CCoolDialogBar* bar = m_frame->DockingBar();
    EXPECT_TRUE(bar->isFloating());
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->geometry(), expected.bar);
    EXPECT_FALSE(m_frame->StandardToolBar()->isHidden());
    EXPECT_FALSE(m_frame->ProjectToolBar()->isHidden());
    EXPECT_EQ(m_frame->toolBarArea(m_frame->ProjectToolBar()), Qt::TopToolBarArea);

    // The project windows cascade from the corner of the client area.
    const auto children = m_frame->Children();
    ASSERT_EQ(children.size(), 2u);
    const QRect client = m_frame->MdiClient()->viewport()->rect().adjusted(8, 8, -8, -8);
    const int step = children[0]->CascadeStep();
    EXPECT_EQ(children[0]->geometry(), client);
    EXPECT_EQ(children[1]->geometry(), client.adjusted(step, step, 0, 0));
}

// After a package build the status bar says so with the output path, and its button opens the folder
// with the desktop's file manager; the notice follows a language switch.
TEST_F(MainFrameTest, ABuiltPackageIsAnnouncedInTheStatusBarWithItsFolder)
{
    m_frame->show();
    m_frame->NewDocument();
    CBuildNotice* notice = m_frame->BuildNotice();
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(notice->isVisible());
    const QString package = text(m_environment.folder() / "out" / "office.exe");
    emit m_frame->Children()[0]->packageBuilt(package);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->TextLabel()->toolTip(), "The package has been built: " + package);
    EXPECT_EQ(notice->FolderButton()->text(), "Show in Folder");
    notice->FolderButton()->click();
    ASSERT_EQ(m_opened.size(), 1);
    EXPECT_EQ(m_opened[0], QUrl::fromLocalFile(text(m_environment.folder() / "out")));

    m_frame->SwitchLanguage(0x0407);
    EXPECT_EQ(notice->TextLabel()->toolTip(), "Das Paket wurde erstellt: " + package);
    EXPECT_EQ(notice->FolderButton()->text(), "Im Ordner zeigen");
}

// The editing keys act where the user looks: with the focus in the printer name, the model box or the
// test-print box, Delete, Ctrl+X, Ctrl+C and Ctrl+A leave the printers alone (the name field edits its
// text); in the printer list Delete removes the selected printer.
TEST_F(MainFrameTest, EditingKeysActOnPrintersOnlyWhileTheListHasTheFocus)
{
    m_frame->show();
    QApplication::setActiveWindow(m_frame.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    m_frame->NewDocument();
    CChildFrame* child = m_frame->Children()[0];
    CCorvan2Doc& document = child->Document();
    ASSERT_NE(document.AddPrinter(), nullptr);
    document.UpdateAllViews();
    CCorvan2View* view = child->View();
    view->ListCtrl()->SelectItems({0});
    view->Tabs()->setCurrentIndex(CCorvan2View::kPrinterPage);
    Settle();
    const std::string name = document.GetScript().printers.at(0)->printerName;
    QGuiApplication::clipboard()->clear();

    auto* nameField = qobject_cast<QLineEdit*>(FindControl(view, printerinfo::IDC_PRINTER_NAME));
    ASSERT_NE(nameField, nullptr);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Delete, Qt::NoModifier}, {Qt::Key_X, Qt::ControlModifier}, {Qt::Key_C, Qt::ControlModifier},
        {Qt::Key_A, Qt::ControlModifier}};
    for (const int control : {printerinfo::IDC_PRINTER_NAME, printerinfo::IDC_MODEL, printerinfo::IDC_TEST_PRINT}) {
        QWidget* widget = FindControl(view, control);
        ASSERT_NE(widget, nullptr) << control;
        widget->setFocus();
        ASSERT_TRUE(widget->hasFocus()) << control;
        if (widget == nameField)
            nameField->end(false);
        EXPECT_FALSE(m_frame->PrinterListHasFocus());
        for (const auto& [key, modifiers] : keys) {
            QTest::keyClick(widget, key, modifiers);
            EXPECT_EQ(document.GetCount(), 1u) << control << " " << key;
        }
        EXPECT_EQ(view->ListCtrl()->SelectedRecords().size(), 1u) << control;
    }
    EXPECT_FALSE(HasPrinterData(ClipboardData())) << "Ctrl+C in a control copies no printer";
    // In the name field Delete edits the name.
    nameField->setFocus();
    nameField->setCursorPosition(0);
    QTest::keyClick(nameField, Qt::Key_Delete);
    EXPECT_EQ(nameField->text().toStdString(), name.substr(1));
    EXPECT_EQ(document.GetScript().printers.at(0)->printerName, name.substr(1));

    view->ListCtrl()->CurrentView()->setFocus();
    ASSERT_TRUE(m_frame->PrinterListHasFocus());
    QTest::keyClick(view->ListCtrl()->CurrentView(), Qt::Key_Delete);
    EXPECT_EQ(document.GetCount(), 0u);
    EXPECT_TRUE(m_environment.messages.questions.empty());
}

// Add Printer, off because the project holds its one printer, says why in its tooltip and status text;
// with the printer gone it is on again with its own tooltip.
TEST_F(MainFrameTest, AddPrinterOffForAFullProjectSaysWhy)
{
    m_frame->NewDocument();
    CChildFrame* child = m_frame->Children()[0];
    const auto addButton = [this]() -> QAction* {
        for (QAction* button : m_frame->findChild<QToolBar*>(QStringLiteral("ProjectToolBar"))->actions()) {
            if (CommandTable::CommandId(button) == ID_PRINTER_ADD)
                return button;
        }
        return nullptr;
    };
    ASSERT_NE(addButton(), nullptr);
    m_frame->UpdateCommands();
    const QString ownTip = addButton()->toolTip();
    EXPECT_TRUE(addButton()->isEnabled());
    EXPECT_TRUE(addButton()->statusTip().isEmpty());

    ASSERT_NE(child->Document().AddPrinter(), nullptr);
    child->Document().UpdateAllViews();
    m_frame->UpdateCommands();
    const QString why = "A project holds one printer. Start a new project for the next printer.";
    EXPECT_FALSE(addButton()->isEnabled());
    EXPECT_EQ(addButton()->toolTip(), why);
    EXPECT_EQ(addButton()->statusTip(), why);
    EXPECT_EQ(m_frame->CommandAction(ID_PRINTER_ADD)->statusTip(), why);

    child->Document().GetScript().printers.clear();
    child->Document().UpdateAllViews();
    m_frame->UpdateCommands();
    EXPECT_TRUE(addButton()->isEnabled());
    EXPECT_EQ(addButton()->toolTip(), ownTip);
    EXPECT_TRUE(m_frame->CommandAction(ID_PRINTER_ADD)->statusTip().isEmpty());
}

// After the layout of a first start, every button of both toolbars shows, in every delivered language:
// no toolbar keeps buttons behind its extension arrow.
TEST(MainFrameToolBarTest, TheFirstStartShowsEveryToolbarButtonInEveryLanguage)
{
    const FrameEnvironment environment;
    for (const LanguageInfo& row : kLanguages) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(TheStringTable().Load(PELLORA_BIN_DIR, row.id, kStringTableGroup));
        CMainFrame frame(BuildEnvironment::ForProgramFolder(PELLORA_BIN_DIR), environment.settings());
        ASSERT_TRUE(frame.Create(row.id));
        frame.ResetLayout();
        frame.show();
        Settle();
        for (QToolBar* bar : {frame.StandardToolBar(), frame.ProjectToolBar()}) {
            SCOPED_TRACE(bar->objectName().toStdString());
            const auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
            EXPECT_TRUE(more == nullptr || !more->isVisible());
            for (QAction* action : bar->actions()) {
                if (QWidget* button = bar->widgetForAction(action)) {
                    EXPECT_TRUE(button->isVisible()) << action->text().toStdString();
                }
            }
        }
    }
    TheStringTable().Load(environment.folder(), 0, kStringTableGroup);
}

// ---- languages, watermark, logo -------------------------------------------------------------------

TEST_F(MainFrameTest, SwitchingToJapaneseRetextsMenusBarsAndRegisteredWindows)
{
    m_frame->show();
    m_frame->NewDocument();
    int observed = 0;
    const auto observer = m_frame->Children().front()->Document().AddObserver([&observed](long) { ++observed; });
    QWidget registered;
    bool viewModeDuringRetext = false;
    RegisterRetext(&registered, [&viewModeDuringRetext] { viewModeDuringRetext = IsViewMode(); });

    ASSERT_TRUE(m_frame->OnCommand(ID_LANGUAGE_JAPANESE));
    EXPECT_EQ(CurrentLanguage(), 0x0411);
    EXPECT_EQ(menuCaptions(), QStringList({"ファイル(&F)", "編集(&E)", "表示(&V)", "ウィンドウ(&W)", "ヘルプ(&H)"}));
    EXPECT_EQ(m_frame->CommandAction(ID_FILE_OPEN)->text(), "開く(&O)...\tCtrl+O");
    EXPECT_EQ(m_frame->ProjectToolBar()->actions()[1]->text(), "プリンターの追加");
    EXPECT_EQ(m_frame->StatusPane()->text(), "レディ");
    EXPECT_EQ(m_frame->DockingBar()->windowTitle(), "プリンター選択");
    EXPECT_EQ(observed, 1);
    EXPECT_TRUE(viewModeDuringRetext);
    EXPECT_FALSE(IsViewMode());
    EXPECT_EQ(state(ID_LANGUAGE_JAPANESE), kChecked);
    EXPECT_EQ(state(ID_LANGUAGE_NEUTRAL), kOn);
    // The project stays unchanged by the switch.
    EXPECT_FALSE(m_frame->Children().front()->Document().IsModified());

    // Switching to the language in use does nothing.
    m_frame->OnCommand(ID_LANGUAGE_JAPANESE);
    EXPECT_EQ(observed, 1);
    m_frame->OnCommand(ID_LANGUAGE_NEUTRAL);
    EXPECT_EQ(CurrentLanguage(), 0);
    EXPECT_EQ(menuCaptions().front(), "&File");
    EXPECT_EQ(observed, 2);
    m_frame->Children().front()->Document().RemoveObserver(observer);
}

TEST_F(MainFrameTest, NextLanguageNamesAndLoadsTheFollowingRowOfTheList)
{
    ASSERT_TRUE(m_frame->OnCommand(ID_LANGUAGE_NEXT));
    EXPECT_EQ(m_notices, QStringList({"German"}));
    EXPECT_EQ(CurrentLanguage(), 0x0407);
    EXPECT_EQ(menuCaptions().front(), "&Datei");

    // Spanish has no table here: the neutral table serves.
    m_frame->OnCommand(ID_LANGUAGE_NEXT);
    EXPECT_EQ(CurrentLanguage(), 0x040A);
    EXPECT_EQ(menuCaptions().front(), "&File");

    // After the last row comes the first.
    SetCurrentLanguage(0x0416);
    m_frame->OnCommand(ID_LANGUAGE_NEXT);
    EXPECT_EQ(m_notices.back(), "Natural");
    EXPECT_EQ(CurrentLanguage(), 0);

    // A language that is not in the list leaves everything as it is.
    SetCurrentLanguage(0x0409);
    m_notices.clear();
    m_frame->OnCommand(ID_LANGUAGE_NEXT);
    EXPECT_TRUE(m_notices.isEmpty());
    EXPECT_EQ(CurrentLanguage(), 0x0409);
}

TEST_F(MainFrameTest, TheWatermarkCommandTogglesTheOptionAndRefreshesEveryProject)
{
    m_frame->NewDocument();
    m_frame->NewDocument();
    int refreshes = 0;
    for (CChildFrame* child : m_frame->Children())
        child->Document().AddObserver([&refreshes](long) { ++refreshes; });
    ASSERT_TRUE(m_frame->OnCommand(ID_VIEW_WATERMARK));
    EXPECT_EQ(BackImageOption(), 1);
    EXPECT_EQ(refreshes, 2);
    m_frame->OnCommand(ID_VIEW_WATERMARK);
    EXPECT_EQ(BackImageOption(), 0);
    EXPECT_EQ(refreshes, 4);
}

TEST_F(MainFrameTest, TheLogoOpensTheLinkOfTheStringTable)
{
    m_frame->show();
    QTest::mouseClick(m_frame->LogoBar()->Button(), Qt::LeftButton);
    ASSERT_EQ(m_opened.size(), 1);
    EXPECT_EQ(m_opened[0], QUrl("https://www.vardo.example/"));
}

TEST(MainFrameLogoTest, AnEmptyLogoLinkOpensNothing)
{
    frametest::SharedTexts texts;
    texts.logoLink = "";
    const FrameEnvironment environment(texts);
    CMainFrame frame(environment.environment(), environment.settings());
    ASSERT_TRUE(frame.Create(0));
    int opened = 0;
    frame.SetUrlOpener([&opened](const QUrl&) { return ++opened > 0; });
    frame.OnCommand(ID_LOGO);
    EXPECT_EQ(opened, 0);
}

// ---- documents ------------------------------------------------------------------------------------

TEST_F(MainFrameTest, DroppedFilesOpenAsProjectsAndFailuresAreReported)
{
    m_frame->show();
    const auto script = m_environment.writeScript("Office.qst");
    const auto broken = m_environment.writeText("Broken.qst", "[SOFTWARE]\r\nVER=1.0\r\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(text(script)), QUrl::fromLocalFile(text(broken)), QUrl("https://example.org/x.qst")});

    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_frame.get(), &drop);

    ASSERT_EQ(m_frame->Children().size(), 1u);
    EXPECT_EQ(m_frame->Children()[0]->windowTitle(), "Office.qst");
    ASSERT_EQ(m_environment.messages.shown.size(), 1u);
    EXPECT_EQ(m_environment.messages.shown[0].number, kMessageCannotOpenFile);
    EXPECT_EQ(m_environment.messages.shown[0].path, broken.string());
    ASSERT_EQ(m_frame->RecentFiles().size(), 1u);
    EXPECT_EQ(m_frame->RecentFiles().entries()[0], script);

    QMimeData words;
    words.setText("just text");
    QDragEnterEvent refused(QPoint(50, 50), Qt::CopyAction, &words, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_frame.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(MainFrameTest, FilesOfASecondStartOpenOneByOneAndAnOpenProjectIsOnlyActivated)
{
    const auto first = m_environment.writeScript("First.qst");
    const auto second = m_environment.writeScript("Second.qst");
    m_frame->OpenFiles({text(first), text(second), text(first)});
    ASSERT_EQ(m_frame->Children().size(), 2u);
    EXPECT_EQ(m_frame->ActiveChild(), m_frame->Children()[0]);
    EXPECT_EQ(m_frame->RecentFiles().entries().front(), second);
    EXPECT_FALSE(m_frame->OpenDocumentFile(QString()));
}

TEST_F(MainFrameTest, TheOpenCommandAsksForFilesAndReportsThoseThatAreNoProjects)
{
    const auto script = m_environment.writeScript("Chosen.qsm");
    const auto notes = m_environment.writeText("notes.txt", "hello");
    QStringList filters;
    const auto openWatch = WhenDocumentDialogOpens([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        dialog.setDirectory(text(m_environment.folder()));
        dialog.selectNameFilter(dialog.nameFilters().back());
        frametest::TypeFileNames(dialog, QStringLiteral("\"Chosen.qsm\" \"notes.txt\""), 2);
        frametest::Accept(dialog);
    });
    ASSERT_TRUE(m_frame->OnCommand(ID_FILE_OPEN));
    EXPECT_EQ(filters, QStringList({"Install Script (*.qst)", "All Files (*.*)"}));
    ASSERT_EQ(m_frame->Children().size(), 1u);
    EXPECT_EQ(m_frame->Children()[0]->windowTitle(), "Chosen.qsm");
    ASSERT_EQ(m_environment.messages.shown.size(), 1u);
    EXPECT_EQ(m_environment.messages.shown[0].number, kMessageCannotOpenFile);
    EXPECT_EQ(m_environment.messages.shown[0].path, notes.string());
}

TEST_F(MainFrameTest, SavingValidatesTheProjectFirstAndStopsAtItsMessage)
{
    m_frame->NewDocument();
    bool dialogSeen = false;
    const auto saveWatch = WhenDocumentDialogOpens([&dialogSeen](QFileDialog& dialog) {
        dialogSeen = true;
        dialog.reject();
    });
    m_environment.messages.questionAnswers = {kAnswerNo};
    ASSERT_TRUE(m_frame->OnCommand(ID_FILE_SAVE_AS));
    ASSERT_EQ(m_environment.messages.shown.size(), 1u);
    EXPECT_EQ(m_environment.messages.shown[0].number, 9); // a project without printers
    ASSERT_EQ(m_environment.messages.questions.size(), 1u);
    EXPECT_EQ(m_environment.messages.questions[0].text, ItemText(kQuestionSection, kQuestionSaveAnyway));
    EXPECT_FALSE(m_environment.messages.questions[0].withCancel);
    Settle();
    EXPECT_FALSE(dialogSeen);
    EXPECT_TRUE(m_frame->Children()[0]->Document().GetPathName().empty());
}

// A project in progress can always be kept: after the check's message, Yes saves it anyway; a package
// is still refused.
TEST_F(MainFrameTest, AnIncompleteProjectIsSavedAnywayWhenTheUserWantsIt)
{
    m_frame->NewDocument();
    CChildFrame* child = m_frame->Children()[0];
    CPrinterInfoEx* const printer = child->Document().AddPrinter();
    ASSERT_NE(printer, nullptr);
    printer->modelName = "RX-C3400";
    const std::filesystem::path file = m_environment.folder() / "draft.qst";
    const auto saveWatch = WhenDocumentDialogOpens([&file](QFileDialog& dialog) {
        frametest::TypeFileNames(dialog, text(file));
        frametest::Accept(dialog);
    });
    m_environment.messages.questionAnswers = {kAnswerYes};
    ASSERT_TRUE(m_frame->OnCommand(ID_FILE_SAVE));
    EXPECT_EQ(m_environment.messages.shown.size(), 1u);
    EXPECT_EQ(child->Document().GetPathName(), file);
    EXPECT_FALSE(child->Document().IsModified());
    EXPECT_EQ(frametest::SavedPrinterNames(file),
              std::vector<std::string>{child->Document().GetScript().printers.at(0)->printerName});

    // A printer without a model would not come back from the file: no saving it anyway.
    printer->modelName.clear();
    m_environment.messages.questionAnswers = {kAnswerYes};
    const std::string saved = test::ReadFileBytes(file);
    ASSERT_TRUE(m_frame->OnCommand(ID_FILE_SAVE));
    ASSERT_EQ(m_environment.messages.shown.size(), 2u);
    EXPECT_EQ(m_environment.messages.shown[1].number, kMessageNoModel);
    EXPECT_EQ(m_environment.messages.questions.size(), 1u);
    EXPECT_EQ(test::ReadFileBytes(file), saved);
    m_environment.messages.shown.pop_back();

    // Saving anyway under a package's name builds nothing: the check's message comes again.
    const std::filesystem::path package = m_environment.folder() / "draft.exe";
    CCorvan2View* view = child->View();
    EXPECT_FALSE(view->MaySaveTo(package, CCorvan2View::SaveCheck::SaveAnyway));
    EXPECT_EQ(m_environment.messages.shown.size(), 2u);
    EXPECT_TRUE(view->MaySaveTo(file, CCorvan2View::SaveCheck::SaveAnyway));
    EXPECT_FALSE(view->MaySaveTo(file, CCorvan2View::SaveCheck::Stop));
    EXPECT_FALSE(std::filesystem::exists(package));
    EXPECT_EQ(m_environment.messages.shown.size(), 2u);
}

TEST_F(MainFrameTest, RecentFilesAreListedAndOneThatIsGoneLeavesTheList)
{
    const auto kept = m_environment.writeScript("Kept.qst");
    const auto gone = m_environment.writeScript("Gone.qst");
    m_frame->OpenDocumentFile(text(kept));
    m_frame->OpenDocumentFile(text(gone));
    m_frame->UpdateCommands();
    // Long paths are shortened in the middle; the number and the file name stay.
    const QString first = m_frame->CommandAction(ID_FILE_MRU_FILE1)->text();
    const QString second = m_frame->CommandAction(ID_FILE_MRU_FILE1 + 1)->text();
    EXPECT_TRUE(first.startsWith("&1 /") && first.endsWith("/Gone.qst")) << first.toStdString();
    EXPECT_TRUE(second.startsWith("&2 /") && second.endsWith("/Kept.qst")) << second.toStdString();
    EXPECT_EQ(state(ID_FILE_MRU_FILE1 + 1), kOn);
    EXPECT_EQ(state(ID_FILE_MRU_FILE1 + 2), kOff);
    EXPECT_FALSE(m_frame->CommandAction(ID_FILE_MRU_FILE1 + 2)->isVisible());

    // The next run finds the same list.
    EXPECT_EQ(makeFrame()->RecentFiles().entries(), m_frame->RecentFiles().entries());

    for (CChildFrame* child : m_frame->Children())
        child->close();
    Settle();
    std::filesystem::remove(gone);
    ASSERT_TRUE(m_frame->OnCommand(ID_FILE_MRU_FILE1));
    ASSERT_EQ(m_environment.messages.shown.size(), 1u);
    EXPECT_EQ(m_environment.messages.shown[0].number, kMessageCannotOpenFile);
    ASSERT_EQ(m_frame->RecentFiles().size(), 1u);
    EXPECT_EQ(m_frame->RecentFiles().entries()[0], kept);

    m_frame->OnCommand(ID_FILE_MRU_FILE1);
    ASSERT_EQ(m_frame->Children().size(), 1u);
    EXPECT_EQ(m_frame->Children()[0]->windowTitle(), "Kept.qst");
}

TEST_F(MainFrameTest, TheDocumentTabsFollowTheProjectWindows)
{
    m_frame->show();
    CDocumentTabBar* tabs = m_frame->DocumentTabs();
    m_frame->NewDocument();
    m_frame->NewDocument();
    const auto children = m_frame->Children();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), children[0]->windowTitle());
    EXPECT_EQ(tabs->currentIndex(), 1);

    // Choosing a tab activates its window; activating a window selects its tab.
    emit tabs->tabBarClicked(0);
    EXPECT_EQ(m_frame->ActiveChild(), children[0]);
    m_frame->MdiClient()->setActiveSubWindow(children[1]);
    EXPECT_EQ(tabs->currentIndex(), 1);

    children[0]->Document().SetPathName(m_environment.folder() / "Renamed.qst");
    m_frame->UpdateCommands();
    EXPECT_EQ(tabs->tabText(0), "Renamed.qst");

    // A right click on a tab opens that window's own menu.
    QTest::mousePress(tabs, Qt::RightButton, {}, tabs->tabRect(0).center());
    EXPECT_TRUE(WaitFor([&] { return children[0]->systemMenu()->isVisible(); }));
    children[0]->systemMenu()->hide();

    children[1]->close();
    EXPECT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->FrameAt(0), children[0]);
    Settle();
    EXPECT_EQ(tabs->count(), 1);
}

} // namespace
} // namespace pellora::ui
