#pragma once

// The network page of the left pane: probes the local segment or a given network through the discovery
// library, lists the printers of supported models it finds and adds the chosen ones to the active project.

#include "core/document/PrinterList.h"
#include "core/plugin/DiscoveryLibrary.h"
#include "ui/leftpane/LeftPane.h"
#include "ui/shared/OnceFlag.h"
#include "ui/shared/Tab.h"

#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace pellora::ui {

class CListCtrl_Printer;
class Ipv4AddressEdit;
class ProbeNotices;

class CTab_Network : public CTab, public LeftPanePage {
    Q_OBJECT

public:
    // The library comes from the pane's program folder. Only the first showing of a network page in a run
    // (as firstProbe tells) starts a probe by itself.
    explicit CTab_Network(CLeftPane& pane, QWidget* parent = nullptr, OnceFlag& firstProbe = FirstProbe());
    ~CTab_Network() override;

    // The process's own first-probe mark.
    static OnceFlag& FirstProbe();

    // The Search button: a probe of the chosen range; the results of the probe before are dropped.
    void Search();
    // The Add button: copies of the selected results go into the active project.
    void AddSelected();
    // Takes one result of the library: -1 when none was waiting, 0 otherwise.
    int TakeOneResult();

    int RangeMode() const;
    bool ProbeEnded() const { return m_probeEnded; }
    int ProbesStarted() const { return m_probesStarted; }
    bool LibraryAvailable() const { return m_library.IsAvailable(); }
    CListCtrl_Printer* Results() const { return m_list; }
    const PrinterRecordList& ResultRecords() const { return m_results; }
    Ipv4AddressEdit* AddressField() const { return m_address; }
    Ipv4AddressEdit* MaskField() const { return m_mask; }

    // LeftPanePage
    void Retext() override;
    void OnLeftPaneMessage(int message, int argument) override;

protected:
    bool ReadControls() override;
    void WriteControls() override;
    void UpdateControls() override;
    void OnRetext() override;
    void showEvent(QShowEvent* event) override;

private:
    void onNotice(char notice);

    CLeftPane& m_pane;
    OnceFlag& m_firstProbe;
    DiscoveryLibrary m_library;
    PrinterRecordList m_results;
    std::unique_ptr<ProbeNotices> m_notices;
    bool m_probeEnded = false;
    int m_probesStarted = 0;
    bool m_initialised = false;

    QGroupBox* m_group = nullptr;
    QComboBox* m_range = nullptr;
    QLabel* m_addressLabel = nullptr;
    Ipv4AddressEdit* m_address = nullptr;
    QLabel* m_maskLabel = nullptr;
    Ipv4AddressEdit* m_mask = nullptr;
    CListCtrl_Printer* m_list = nullptr;
    QPushButton* m_search = nullptr;
    QPushButton* m_add = nullptr;
};

} // namespace pellora::ui
