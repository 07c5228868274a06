#pragma once

// The project view: the printer list of a project, a resize grip and the property tabs, with the
// project's commands.

#include "core/document/Corvan2Doc.h"
#include "core/i18n/LayoutValue.h"
#include "ui/shared/CommandSet.h"
#include "ui/shared/TabHost.h"

#include <QString>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class QMimeData;
class QTabWidget;

namespace pellora::ui {

class CListCtrl_Printer;
class CTab;

class CCorvan2View : public QWidget, public TabHost {
    Q_OBJECT

public:
    // The pages in tab order.
    enum Page : int { kPrinterPage = 0, kDriverPage = 1, kScriptPage = 2, kPageCount = 3 };
    // The most printers a project takes from the view (adding, pasting, dropping).
    static constexpr std::size_t kMaxPrinters = 1;

    explicit CCorvan2View(CCorvan2Doc& document, QWidget* parent = nullptr);
    ~CCorvan2View() override;

    // The project's commands: the view's own (add printer, save script, create package, close all).
    const CommandSet& Commands() const { return m_commands; }
    // The view's and its printer list's commands, the way the frame passes them on.
    CommandChain CommandRoute() const;
    // Carries out a command of the view or its list; false when neither knows it. In view mode and
    // during a build every command is ignored.
    bool OnCommand(int id) { return CommandRoute().Execute(id); }
    // The state of a command of the view or its list; false when neither knows it.
    bool UpdateCommand(int id, bool& enabled, bool& checked) const;
    // Re-reads every text: column headers, tab labels and the pages.
    void Retext();
    // The document changed (or the language did): menu texts, headers, tab labels, the list, and in
    // view mode the pages.
    void OnUpdate(long hint);

    // Shows the message of a failed pre-build check and selects the printer, page and control at fault.
    void ShowValidationFailure(const ValidationResult& result);
    // The check before a save. A project that fails the pre-build check shows why (printer, page and
    // control selected) and asks whether to save it anyway: a project in progress can always be kept,
    // only a package needs it complete. A printer without a model stops the save: the file could not
    // bring it back.
    enum class SaveCheck { Complete, SaveAnyway, Stop };
    SaveCheck CheckBeforeSave();
    // Refuses a save to path that would build a package from a project that failed the check (saving
    // to an ".exe" name builds one): shows the check's message again. True when the save may go on.
    bool MaySaveTo(const std::filesystem::path& path, SaveCheck check);
    // Hands a record to the list (the left pane's add); 0 when the project took it, -1 when it stays
    // with the caller.
    int AddPrinterRecord(std::unique_ptr<CPrinterInfoEx>& record);
    // Drops data on the list as if it had been dropped at no item; true when something changed.
    bool DropOnList(const QMimeData* data);

    CCorvan2Doc& Document() const { return m_document; }
    CListCtrl_Printer* ListCtrl() const { return m_list; }
    QTabWidget* Tabs() const { return m_tabs; }
    CTab* Page(int page) const;
    QWidget* Grip() const { return m_grip; }
    const LayoutTable& Layout() const { return m_layout; }

    // Every project view of the process, in the order they were made.
    static std::vector<CCorvan2View*> AllViews();

    // TabHost
    pellora::PrinterList* HostList() override { return &m_document; }
    CScriptFile* HostScript() override { return &m_document.GetScript(); }
    bool SelectedPrinters(std::vector<CPrinterInfoEx*>& printers) override;
    pellora::PrinterList::ObserverId HostObserverId() const override { return m_observer; }
    void PrintersEdited(const std::vector<CPrinterInfoEx*>& printers) override;
    const std::filesystem::path& ProgramFolder() const override { return m_document.ProgramFolder(); }

signals:
    // A project or package file was written: it belongs in the recently-used list.
    void recentFileAdded(const QString& path);
    // The printer count changed: the left pane's add button re-checks its state.
    void printerCountChanged();
    // A page asked for a frame command (Ctrl+N, Ctrl+O, Ctrl+S).
    void frameCommandRequested(int id);
    // A package was built at path.
    void packageBuilt(const QString& path);
    // Something the status bar tells after a command, such as a package built without the installer.
    void statusNotice(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void registerCommands();
    void buildPages();
    void addPrinter();
    // Asks for the file to save or build; empty when the user cancels. With signing, the dialog also
    // offers the signing settings, starting from those and leaving the chosen ones there.
    QString promptOutputPath(int titleItem, int typeItem, const QString& extension, SigningSettings* signing = nullptr);
    void saveProjectAs();
    void createPackage();
    static void closeAll();
    // Validates the project; shows the failure and returns false when it does not pass.
    bool validate();
    // The default file name of the save dialogs: the base name of the path, else of the title.
    QString defaultFileName() const;
    QString documentFolder() const;
    void onPrinterCountChanged();
    void refreshCurrentPage();

    CCorvan2Doc& m_document;
    CCorvan2Doc::ObserverId m_observer = CCorvan2Doc::kNoObserver;
    CListCtrl_Printer* m_list = nullptr;
    QWidget* m_grip = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::array<CTab*, kPageCount> m_pages{};
    LayoutTable m_layout;
    CommandSet m_commands;
    bool m_building = false;
};

} // namespace pellora::ui
