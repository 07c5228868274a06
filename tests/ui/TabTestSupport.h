#pragma once

// Shared pieces of the property-tab tests: a host with its own document, a recorder of numbered
// messages, string tables made from the tab text fragments, and a driver for modal dialogs.

#include "MessageRecorder.h"
#include "core/document/Corvan2Doc.h"
#include "core/i18n/StringTable.h"
#include "support/StringTableFixture.h"
#include "ui/shared/MessageService.h"
#include "ui/shared/TabHost.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace pellora::test {

class FakeTabHost : public ui::TabHost {
public:
    explicit FakeTabHost(const std::filesystem::path& programFolder)
        : doc(BuildEnvironment{programFolder, {}, {}, {}, {}})
    {
        m_observer = doc.AddObserver([this](long) { ++ownUpdates; });
        doc.AddObserver([this](long) { ++otherViewUpdates; });
    }

    PrinterList* HostList() override { return hasDocument ? &doc : nullptr; }
    CScriptFile* HostScript() override { return hasDocument ? &doc.GetScript() : nullptr; }
    const std::filesystem::path& ProgramFolder() const override { return doc.ProgramFolder(); }
    bool SelectedPrinters(std::vector<CPrinterInfoEx*>& printers) override
    {
        if (!canDeliver)
            return false;
        printers = selection;
        return true;
    }
    CCorvan2Doc::ObserverId HostObserverId() const override { return m_observer; }
    void PrintersEdited(const std::vector<CPrinterInfoEx*>& printers) override { edited.push_back(printers); }

    // A printer of the document, which is then not modified.
    CPrinterInfoEx* Add(const std::string& name, const std::string& address = "10.0.0.1")
    {
        auto record = std::make_unique<CPrinterInfoEx>();
        record->printerName = name;
        record->address = address;
        CPrinterInfoEx* added = doc.AddPrinter(record);
        doc.SetModifiedFlag(false);
        return added;
    }
    void Select(std::initializer_list<CPrinterInfoEx*> records) { selection.assign(records); }

    CCorvan2Doc doc;
    std::vector<CPrinterInfoEx*> selection;
    bool canDeliver = true;
    bool hasDocument = true;
    int ownUpdates = 0;
    int otherViewUpdates = 0;
    std::vector<std::vector<CPrinterInfoEx*>> edited;

private:
    CCorvan2Doc::ObserverId m_observer = CCorvan2Doc::kNoObserver;
};


// The texts of the section "ETC" that the tabs use, as item references and texts.
inline constexpr const char* kEtcTexts = "1=All Files\n2=Pellora\n3=Select the Driver Folder\n4=Driver Extension Settings\n";
inline constexpr const char* kEtcSection = "\n[Pellorix.exe\\ETC]\nALL_FILES_TYPE=7:1\nPRODUCT_NAME=12:2\n"
                                          "DRIVER_FOLDER_TITLE=106:3\nBSF_FILE_TYPE=112:4\n";

// The tab text fragment of a language folder ("0000", "0407", "040A", ...) as it is delivered.
inline std::string TabFragment(const std::string& language)
{
    std::ifstream in(std::string(PELLORA_SOURCE_DIR) + "/resources/strings/" + language + "/Tabs.txt",
                     std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A table body: the fragment with the "ETC" texts merged into its one "String Table" section.
inline std::string TabTableBody(const std::string& language)
{
    std::string body = TabFragment(language);
    const std::string header = "[String Table]\n";
    const auto at = body.find(header);
    if (at != std::string::npos)
        body.insert(at + header.size(), kEtcTexts);
    return body + kEtcSection;
}

// A program folder with the tab tables of every language of the language list, the neutral one loaded.
class TabStrings {
public:
    explicit TabStrings(std::string_view modelList = TestProgramFolder::kDefaultModelList)
        : m_tables(TabTableBody("0000"))
    {
        m_tables.folder().writeModelList(modelList);
        for (const LanguageInfo& language : kLanguages) {
            if (language.id != 0)
                m_tables.WriteTableFor(language.id, TabTableBody(LanguageCode(language.id)));
        }
        Load(0);
    }
    bool Load(std::uint16_t language)
    {
        return TheStringTable().Load(m_tables.folder().path(), language, kStringTableGroup);
    }
    const TestProgramFolder& folder() const { return m_tables.folder(); }

private:
    StringTableFixture m_tables;
};

// Runs action once on the next modal dialog, as soon as it is shown; the dialog is then expected to
// be closed by the action.
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(QWidget*)> action)
        : m_action(std::move(action))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || m_fired)
                return;
            m_fired = true;
            m_timer.stop();
            m_action(modal);
        });
        m_timer.start();
    }
    bool fired() const { return m_fired; }

private:
    std::function<void(QWidget*)> m_action;
    QTimer m_timer;
    bool m_fired = false;
};

// Closes any modal dialog that stays open for longer than a driven dialog would, so that a dialog nobody
// expected fails the test instead of blocking it; unexpected() counts them.
class ModalWatchdog {
public:
    ModalWatchdog()
    {
        m_timer.setInterval(3000);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal == m_seen) {
                ++m_unexpected;
                modal->close();
            }
            m_seen = modal;
        });
        m_timer.start();
    }
    int unexpected() const { return m_unexpected; }

private:
    QTimer m_timer;
    QWidget* m_seen = nullptr;
    int m_unexpected = 0;
};

} // namespace pellora::test
