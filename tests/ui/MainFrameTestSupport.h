#pragma once

// What the tests of the main frame, its bars and its child frames share: string tables made from the
// program's own text fragments, a settings file of their own, and a message service that records.

#include "WaitFor.h"
#include "core/i18n/StringTable.h"
#include "core/model/ViewMode.h"
#include "core/platform/UserSettings.h"
#include "core/script/ScriptFile.h"
#include "core/util/IniFile.h"
#include "core/util/Support.h"
#include "support/StringTableFixture.h"
#include "ui/frame/FrameOptions.h"
#include "ui/frame/MainFrameIds.h"
#include "ui/shared/MessageService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

// Readable texts in test failures.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace pellora::ui::frametest {

inline std::string ReadSourceFile(const std::string& relative)
{
    std::ifstream in(std::string(PELLORA_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The texts other windows own that the frame reads: file types, logo link, product name, the page
// texts that size the docking bar, and the question asked before a changed project closes.
struct SharedTexts {
    std::string scriptType = "Install Script";
    std::string packageType = "Printer Package";
    std::string allFiles = "All Files";
    std::string logoLink = "https://www.vardo.example/";
    std::string product = "Pellora";
    std::string searchText = "&Search";
    std::string addText = "&Add";
    std::string groupText = "Group";
};

// A table text: the shared texts, then the frame's own fragment of the language (its "[String Table]"
// continues the one begun here), then the shared sections, then further fragments of the language
// (whose "[String Table]" sections the reader joins to the first).
inline std::string TableBody(const std::string& language, const SharedTexts& shared = {},
                             const std::vector<std::string>& moreFragments = {})
{
    std::string fragment = ReadSourceFile("resources/strings/" + language + "/MainFrame.txt");
    const auto header = fragment.find("[String Table]");
    if (header != std::string::npos)
        fragment.erase(0, header + std::string("[String Table]").size());
    std::string body = "[String Table]\r\n";
    body += "90003=" + shared.scriptType + "\r\n";
    body += "90006=" + shared.packageType + "\r\n";
    body += "90007=" + shared.allFiles + "\r\n";
    body += "90011=" + shared.logoLink + "\r\n";
    body += "90012=" + shared.product + "\r\n";
    body += "90101=Script " + language + "\r\n";
    body += "91064=" + shared.searchText + "\r\n";
    body += "91044=" + shared.addText + "\r\n";
    body += "91046=" + shared.groupText + "\r\n";
    body += "92002=Continue?\r\n";
    body += "92005=Cannot open\r\n";
    body += fragment;
    body += "\r\n[Pellorix.exe\\ETC]\r\nNEW=1:90101\r\nS=3:90003\r\nP=6:90006\r\nA=7:90007\r\nL=11:90011\r\nT=12:90012\r\n";
    body += "[Pellorix.exe\\IDD_TAB_NETWORK]\r\nS=1064:91064\r\nA=1044:91044\r\n";
    body += "[Pellorix.exe\\IDD_TAB_GROUP]\r\nG=1046:91046\r\n";
    body += "[Pellorix.exe\\MESSAGE]\r\nC=2:92002\r\nO=5:92005\r\n";
    for (const std::string& fragment : moreFragments)
        body += ReadSourceFile("resources/strings/" + language + "/" + fragment);
    return body;
}

// Records every message and answers with a chosen button; records every question and gives the
// answers queued for it.
class RecordingMessages final : public MessageService {
public:
    struct Shown {
        int number;
        std::string path;
    };

    int ShowMessage(int number) override
    {
        shown.push_back({number, {}});
        return answer;
    }
    int ShowFileMessage(int number, std::string_view path) override
    {
        shown.push_back({number, std::string(path)});
        return answer;
    }
    int ShowDetailedMessage(int number, std::string_view) override
    {
        shown.push_back({number, {}});
        return answer;
    }

    int AskQuestion(const QString& text, bool withCancel) override
    {
        questions.push_back({text, withCancel});
        if (questionAnswers.empty())
            return kAnswerCancel;
        const int next = questionAnswers.front();
        questionAnswers.erase(questionAnswers.begin());
        return next;
    }

    struct Question {
        QString text;
        bool withCancel;
    };

    std::vector<Shown> shown;
    int answer = kButtonYes;
    std::vector<Question> questions;
    // The answers to the next questions, in turn; a question without one is cancelled.
    std::vector<int> questionAnswers;
};

// The program folder with the neutral, German and Japanese tables, the neutral one loaded; a settings
// file of the test's own; the recording message service; process-wide options at their defaults.
class FrameEnvironment {
public:
    explicit FrameEnvironment(const SharedTexts& shared = {}, const std::vector<std::string>& moreFragments = {})
    {
        m_strings.WriteTableFor(0, TableBody("0000", shared, moreFragments));
        m_strings.WriteTableFor(0x0407, TableBody("0407", shared, moreFragments));
        m_strings.WriteTableFor(0x0411, TableBody("0411", shared, moreFragments));
        EXPECT_TRUE(TheStringTable().Load(folder(), 0, kStringTableGroup));
        SetMessageService(&messages);
        SetViewMode(false);
        SetCurrentLanguage(0);
        SetBackImageOption(0);
    }
    ~FrameEnvironment()
    {
        SetMessageService(nullptr);
        SetViewMode(false);
        SetCurrentLanguage(0);
        SetBackImageOption(0);
        TheStringTable().Load(folder(), 0, kStringTableGroup);
    }
    FrameEnvironment(const FrameEnvironment&) = delete;
    FrameEnvironment& operator=(const FrameEnvironment&) = delete;

    const std::filesystem::path& folder() const { return m_strings.folder().path(); }
    std::filesystem::path settingsFile() const { return folder() / "config" / "Pellora.ini"; }
    UserSettings settings() const { return UserSettings(settingsFile()); }
    // What the frame's projects read from the program folder.
    BuildEnvironment environment() const { return BuildEnvironment::ForProgramFolder(folder()); }

    // A script of this program with no printers, at name in the program folder.
    std::filesystem::path writeScript(const std::string& name) const
    {
        CScriptFile script;
        const std::filesystem::path path = folder() / name;
        EXPECT_EQ(script.Write(path), 1);
        return path;
    }
    std::filesystem::path writeText(const std::string& name, const std::string& text) const
    {
        return m_strings.folder().writeFile(name, text);
    }

    RecordingMessages messages;

private:
    test::StringTableFixture m_strings;
};

// The printer names a project file holds, in the order of its printer sections, as written: the
// reader would drop a printer whose model is not yet chosen.
inline std::vector<std::string> SavedPrinterNames(const std::filesystem::path& path)
{
    CIniFile ini;
    EXPECT_TRUE(ini.Load(path)) << path;
    std::vector<std::string> names;
    const CIniSection* printers = ini.FindSection("PRINTER");
    const std::string* count = printers ? printers->FindValue("COUNT") : nullptr;
    for (int i = 1; count && i <= std::stoi(*count); ++i) {
        const CIniSection* printer = ini.FindSection("PRINTER" + std::to_string(i));
        const std::string* name = printer ? printer->FindValue("PRINTERNAME") : nullptr;
        names.push_back(name ? *name : std::string());
    }
    return names;
}

// Lets posted events, deferred deletions and zero timers run.
inline void Settle()
{
    for (int i = 0; i < 3; ++i) {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
}

using test::WaitFor;

// Types names into the file-name field of a file dialog, as the user would. The dialog reads its folder
// in the background and, once it has, selects the file it was opened with, which replaces the field's
// text: typing waits for the folder's entries, and the names are typed again until the field has kept
// them for 300 ms and the dialog has taken all `count` of them (or 3 s passed).
inline void TypeFileNames(QFileDialog& dialog, const QString& names, int count = 1)
{
    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!field)
        return;
    QElapsedTimer clock;
    clock.start();
    // First the folder's entries, so that the selection the dialog makes on reading them comes before
    // the typing.
    if (const auto* model = dialog.findChild<QFileSystemModel*>()) {
        const QModelIndex folder = model->index(dialog.directory().absolutePath());
        while (model->rowCount(folder) == 0 && clock.elapsed() < 2000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
    }
    clock.restart();
    QElapsedTimer kept;
    kept.start();
    while (clock.elapsed() < 3000) {
        if (field->text() != names || dialog.selectedFiles().size() < count) {
            field->clear();
            field->setText(names);
            kept.restart();
        } else if (kept.elapsed() >= 300) {
            return;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// Confirms a file dialog as its OK button does.
inline void Accept(QFileDialog& dialog)
{
    static_cast<QDialog&>(dialog).accept();
}

// Runs action on the document file dialog once it is open (a modal dialog runs its own event loop).
// Watching ends with the returned object, so that a dialog that never came cannot catch a later one.
[[nodiscard]] inline std::unique_ptr<QTimer> WhenDocumentDialogOpens(std::function<void(QFileDialog&)> action)
{
    auto poll = std::make_unique<QTimer>();
    poll->setInterval(20);
    QTimer* timer = poll.get();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action = std::move(action)] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            if (dialog && dialog->isVisible() && dialog->objectName() == "DocumentFileDialog") {
                timer->stop();
                action(*dialog);
                return;
            }
        }
    });
    poll->start();
    return poll;
}

} // namespace pellora::ui::frametest
