#pragma once

// The left pane of the docking bar ("IDD_DIALOG_LEFT"): a tab control with one page per tab.

#include "core/i18n/LayoutValue.h"
#include "ui/shared/TabHost.h"

#include <QIcon>
#include <QTabWidget>
#include <QWidget>

#include <filesystem>
#include <functional>

namespace pellora {
class CCorvan2Doc;
}

namespace pellora::ui {

// What the left pane asks of the pages it shows.
class LeftPanePage {
public:
    virtual ~LeftPanePage() = default;
    // Re-reads the page's texts (the pane re-initialises its pages on every re-text).
    virtual void Retext() = 0;
    // A message for the current page; WM_LEFT_PANE_NOTIFY with IDC_ADD_BUTTON: the active project
    // changed or its printer count did, so the add button re-checks whether it may be used.
    virtual void OnLeftPaneMessage(int message, int argument) = 0;
};

// The pane is the pages' host: it knows the program folder and the project they add printers to.
class CLeftPane : public QWidget, public TabHost {
    Q_OBJECT
public:
    explicit CLeftPane(QWidget* parent = nullptr);

    void SetProgramFolder(std::filesystem::path folder) { m_programFolder = std::move(folder); }
    // Who names the active project; without one the pages add nowhere.
    using ProjectProvider = std::function<CCorvan2Doc*()>;
    void SetActiveProjectProvider(ProjectProvider provider) { m_activeProject = std::move(provider); }
    // The project the pages add printers to; null when no project window is open.
    CCorvan2Doc* ActiveProject() const { return m_activeProject ? m_activeProject() : nullptr; }
    // The active project's printer list takes another printer.
    bool ActiveProjectHasRoom() const;

    // TabHost: the pages edit no records of their own host.
    PrinterList* HostList() override { return nullptr; }
    bool SelectedPrinters(std::vector<CPrinterInfoEx*>&) override { return false; }
    PrinterList::ObserverId HostObserverId() const override { return PrinterList::kNoObserver; }
    void PrintersEdited(const std::vector<CPrinterInfoEx*>&) override {}
    const std::filesystem::path& ProgramFolder() const override { return m_programFolder; }

    // Re-initialises the pane: the pages re-read their texts, the bar's caption becomes item 0 and the
    // tab labels the strings of item 1001 of "IDD_DIALOG_LEFT", and the layout is applied.
    void Retext();

    // Adds a page (the pane takes it over) with its tab image; returns its tab index. A page that also
    // derives from LeftPanePage is re-texted and receives the pane's messages.
    int AddPage(QWidget* page, const QIcon& image);
    int PageCount() const { return m_tabs->count(); }
    QWidget* CurrentPage() const { return m_tabs->currentWidget(); }
    void SelectPage(int index);
    QTabWidget* Tabs() const { return m_tabs; }

    // Delivers a message to the page shown, after the events already waiting (a posted message).
    void PostToCurrentPage(int message, int argument);

    // The caption that the docking bar shows.
    QString Caption() const { return m_caption; }

signals:
    void captionChanged(const QString& caption);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyTabTexts();

    LayoutTable m_layout;
    QTabWidget* m_tabs;
    QString m_caption;
    std::filesystem::path m_programFolder;
    ProjectProvider m_activeProject;
};

} // namespace pellora::ui
