#pragma once

// Shared pieces of the project view tests: string tables made from the delivered fragments, a recorder
// of numbered messages, a driver for modal dialogs, and a program folder that can build packages.

#include "MessageRecorder.h"
#include "StubPaths.h"
#include "WaitFor.h"
#include "core/document/Corvan2Doc.h"
#include "core/i18n/StringTable.h"
#include "core/util/Support.h"
#include "support/StringTableFixture.h"
#include "ui/shared/MessageService.h"

#include <QApplication>
#include <QFileDialog>
#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace pellora::test {

inline std::string ReadDeliveredFragment(const std::string& language, const std::string& name)
{
    std::ifstream in(std::string(PELLORA_SOURCE_DIR) + "/resources/strings/" + language + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Fragments joined into one table body with a single "String Table" section, since a repeated
// section would not be read.
inline std::string JoinFragments(const std::vector<std::string>& fragments)
{
    std::string texts;
    std::string sections;
    for (const std::string& fragment : fragments) {
        std::istringstream lines(fragment);
        std::string line;
        bool inTexts = false;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty() && line.front() == '[')
                inTexts = line == "[String Table]";
            if (line == "[String Table]")
                continue;
            (inTexts ? texts : sections) += line + "\n";
        }
    }
    return "[String Table]\n" + texts + "\n" + sections;
}

// The texts of "ETC" that the view and its document use.
inline constexpr const char* kViewEtcFragment = "[String Table]\n"
                                                "9001=Project\n"
                                                "9002=Printer\n"
                                                "9003=Install Script\n"
                                                "9006=Printer Package\n"
                                                "9007=All Files\n"
                                                "9012=Pellora\n"
                                                "9101=Save Project As\n"
                                                "9103=Create Package\n"
                                                "[Pellorix.exe\\ETC]\n"
                                                "NEW_DOCUMENT_TITLE=1:9001\n"
                                                "NEW_PRINTER_NAME=2:9002\n"
                                                "SCRIPT_FILE_TYPE=3:9003\n"
                                                "PACKAGE_FILE_TYPE=6:9006\n"
                                                "ALL_FILES_TYPE=7:9007\n"
                                                "PRODUCT_NAME=12:9012\n"
                                                "SAVE_SCRIPT_TITLE=101:9101\n"
                                                "SAVE_PACKAGE_TITLE=103:9103\n";

// The view's own texts, those of its pages, and the menu texts of the frame (the context menu's).
inline std::string ViewTableBody(const std::string& language)
{
    return JoinFragments({ReadDeliveredFragment(language, "ProjectView.txt"), ReadDeliveredFragment(language, "Tabs.txt"),
                          ReadDeliveredFragment(language, "MainFrame.txt"), ReadDeliveredFragment(language, "LeftPane.txt"),
                          kViewEtcFragment});
}

// A program folder with the view's tables in every language of the language list, the English one loaded.
class ViewStrings {
public:
    ViewStrings()
        : m_tables(ViewTableBody("0000"))
    {
        for (const LanguageInfo& language : kLanguages) {
            if (language.id != 0)
                m_tables.WriteTableFor(language.id, ViewTableBody(LanguageCode(language.id)));
        }
        Load(0);
    }
    bool Load(std::uint16_t language)
    {
        return TheStringTable().Load(m_tables.folder().path(), language, kStringTableGroup);
    }
    const TestProgramFolder& folder() const { return m_tables.folder(); }
    // What the documents of a test read from this folder (no runtime files, no stub).
    BuildEnvironment Environment() const { return {m_tables.folder().path(), {}, {}, {}, {}}; }

private:
    StringTableFixture m_tables;
};


// Answers modal dialogs in turn: each step waits for a modal dialog its test accepts and then acts on
// it; a dialog is taken again only after another one was. Actions must not run a dialog themselves:
// they post what they do (see Post). A dialog that stays at the front for five seconds is closed and
// counted as unexpected.
class ModalScript {
public:
    using Test = std::function<bool(QWidget*)>;
    using Action = std::function<void(QWidget*)>;

    ModalScript()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    ModalScript& Then(Test test, Action action)
    {
        m_steps.push_back({std::move(test), std::move(action)});
        return *this;
    }

    bool done() const { return m_steps.empty(); }
    int unexpected() const { return m_unexpected; }

    static Test Named(const char* objectName)
    {
        return [name = QString::fromLatin1(objectName)](QWidget* modal) { return modal->objectName() == name; };
    }
    static Test MessageBox()
    {
        return [](QWidget* modal) { return qobject_cast<QMessageBox*>(modal) != nullptr; };
    }

    // Enters path into a file dialog and accepts it.
    static void ChooseFile(QWidget* modal, const QString& path)
    {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        // selectFile leaves the name field alone while it has the focus, so the whole path is typed
        // there, as a user may do. The dialog reads its folder on a thread and then selects the file it
        // was opened on, which may overwrite the name: type it until it stays.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        const QString typed = QFileInfo(path).absoluteFilePath();
        QElapsedTimer waited;
        waited.start();
        qint64 stableSince = 0;
        while (waited.elapsed() < 3000 && waited.elapsed() - stableSince < 150) {
            if (name->text() != typed) {
                name->setText(typed);
                stableSince = waited.elapsed();
            }
            // A file selected in the list would win over the typed name; typing clears it only while
            // the name field has the focus.
            for (auto* view : dialog->findChildren<QAbstractItemView*>()) {
                if (view->selectionModel() && view->selectionModel()->hasSelection()) {
                    view->selectionModel()->clearSelection();
                    stableSince = waited.elapsed();
                }
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        Post(dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
    }
    static void Reject(QWidget* modal)
    {
        Post(modal, [modal] { static_cast<QDialog*>(modal)->reject(); });
    }
    static void Answer(QWidget* modal, QMessageBox::StandardButton button)
    {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        ASSERT_NE(box->button(button), nullptr) << box->text().toStdString();
        Post(box, [box, button] {
            if (QAbstractButton* pressed = box->button(button))
                pressed->click();
        });
    }
    static void Post(QObject* target, std::function<void()> work)
    {
        QMetaObject::invokeMethod(target, std::move(work), Qt::QueuedConnection);
    }

private:
    struct Step {
        Test test;
        Action action;
    };

    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            m_waiting = nullptr;
            return;
        }
        if (!m_steps.empty() && modal != m_handled && m_steps.front().test(modal)) {
            Step step = std::move(m_steps.front());
            m_steps.pop_front();
            m_handled = modal;
            m_waiting = nullptr;
            step.action(modal);
            return;
        }
        if (modal != m_waiting) {
            m_waiting = modal;
            m_waitTicks = 0;
        } else if (++m_waitTicks > 500) {
            ++m_unexpected;
            modal->close();
            m_waiting = nullptr;
        }
    }

    QTimer m_timer;
    std::deque<Step> m_steps;
    QPointer<QWidget> m_handled;
    QPointer<QWidget> m_waiting;
    int m_waitTicks = 0;
    int m_unexpected = 0;
};

// A program folder that validates and builds packages: the driver check of the build, a driver folder
// whose information file lists the default model, and the stub built for this system.
class BuildFolder {
public:
    BuildFolder()
        : m_strings()
    {
        const auto& folder = m_strings.folder();
        std::filesystem::copy_file(std::filesystem::path(PELLORA_BIN_DIR) / "DAVORUDI.so", folder.file("DAVORUDI.so"));
        driverFolder = folder.path() / "drivers" / "rx";
        folder.writeFile("drivers/rx/rx.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n\r\n"
                                              "[Manufacturer]\r\n%Mfg%=Vardo\r\n\r\n"
                                              "[Vardo]\r\n\"VARDO RX-C3400\" = INSTALL, USBPRINT\\VARDORX\r\n\r\n"
                                              "[Strings]\r\nMfg=\"VARDO\"\r\n");
        folder.writeFile("drivers/rx/driver.bin", std::string(64 * 1024, 'd'));
        std::ifstream stub(PELLORA_NATIVE_STUB_PATH, std::ios::binary);
        m_stub.assign(std::istreambuf_iterator<char>(stub), std::istreambuf_iterator<char>());
    }

    BuildEnvironment Environment() const
    {
        BuildEnvironment environment;
        environment.programFolder = m_strings.folder().path();
        environment.stub = m_stub;
        return environment;
    }

    // A printer that passes the pre-build check.
    std::unique_ptr<CPrinterInfoEx> ValidPrinter(const std::string& name) const
    {
        auto record = std::make_unique<CPrinterInfoEx>();
        record->printerName = name;
        record->address = "10.0.0.5";
        record->modelName = "RX-C3400";
        record->driverFolders = {driverFolder.string()};
        return record;
    }

    // The staging folders present in the work folder now.
    static std::set<std::filesystem::path> StagingFolders()
    {
        std::set<std::filesystem::path> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(GetWorkFolder(), error))
            found.insert(entry.path());
        return found;
    }

    const TestProgramFolder& folder() const { return m_strings.folder(); }
    // Loads the folder's table of the language.
    bool Load(std::uint16_t language) { return m_strings.Load(language); }
    std::filesystem::path driverFolder;

private:
    ViewStrings m_strings;
    std::vector<std::uint8_t> m_stub;
};

} // namespace pellora::test
