#pragma once

// The shared-printer page of the left pane: the print servers and the printers they share as a tree,
// loaded level by level as the user opens it; a shared printer goes into the active project by the Add
// button, by a double click or by dragging it onto the project's printer list.

#include "core/platform/SharedPrinterSource.h"
#include "ui/leftpane/LeftPane.h"
#include "ui/shared/OnceFlag.h"
#include "ui/shared/Tab.h"

#include <functional>
#include <memory>
#include <string>

class QDrag;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pellora::ui {

class CSharePrnSearchThread;

class CTab_Shared : public CTab, public LeftPanePage {
    Q_OBJECT

public:
    // Makes the enumeration of a search; by default the system's print servers and the administrator's own.
    using SourceFactory = std::function<std::shared_ptr<platform::SharedPrinterSource>()>;

    explicit CTab_Shared(CLeftPane& pane, QWidget* parent = nullptr, OnceFlag& firstSearch = FirstSearch(),
                         SourceFactory factory = SystemSource());
    ~CTab_Shared() override;

    static OnceFlag& FirstSearch();
    // The system's print servers and those of the user's settings.
    static SourceFactory SystemSource();

    // The Search button: the tree from the top again.
    void Search();
    // Opens an item: loads its children when it still holds its placeholder.
    void OpenItem(QTreeWidgetItem* item);
    // The Add button: the selected printer into the active project.
    void AddSelected();
    // The record of the selected printer ("\\SERVER\SHARE", the share as name, the driver as model); null
    // when the selection is no printer.
    std::unique_ptr<CPrinterInfoEx> SelectedPrinterRecord() const;
    // Drags the selected printer as printer data; false when the selection is no printer or there is no
    // project to take it.
    bool StartDrag();

    bool Searching() const;
    QTreeWidget* Tree() const { return m_tree; }
    QString ModelText() const;
    // Runs the drag operation (QDrag::exec by default); tests drop the data themselves.
    using DragRunner = std::function<void(QDrag& drag)>;
    void SetDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }

    // The administrator's print servers in the user's settings.
    static std::vector<std::string> ConfiguredServers();
    static void SetConfiguredServers(const std::vector<std::string>& servers);

    // LeftPanePage
    void Retext() override;
    void OnLeftPaneMessage(int message, int argument) override;

protected:
    bool ReadControls() override;
    void WriteControls() override;
    void UpdateControls() override;
    void OnRetext() override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startLevel(const std::string& name, QTreeWidgetItem* parent);
    void insertEntry(const platform::SharedPrinterEntry& entry);
    void finishLevel();
    void onSelectionChanged();
    void showContextMenu(const QPoint& globalPosition);
    void addServer();
    void removeServer(const std::string& server);
    static int ImageOf(std::uint32_t flags);
    static void AddPlaceholder(QTreeWidgetItem* item);
    static bool IsPlaceholder(const QTreeWidgetItem* item);
    void updateAdd(bool ignoreWorker);

    CLeftPane& m_pane;
    OnceFlag& m_firstSearch;
    SourceFactory m_factory;
    std::unique_ptr<CSharePrnSearchThread> m_worker;
    QTreeWidgetItem* m_insertionParent = nullptr; // null: the top of the tree
    QTreeWidgetItem* m_autoExpand = nullptr;
    bool m_initialised = false;
    QPoint m_pressedAt;
    DragRunner m_dragRunner;

    QTreeWidget* m_tree = nullptr;
    QLabel* m_modelLabel = nullptr;
    QLineEdit* m_model = nullptr;
    QPushButton* m_search = nullptr;
    QPushButton* m_add = nullptr;
};

} // namespace pellora::ui
