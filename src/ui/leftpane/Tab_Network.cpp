#include "ui/leftpane/Tab_Network.h"

#include "core/discovery/ModelList.h"
#include "core/discovery/ProbeResultRecord.h"
#include "core/document/Corvan2Doc.h"
#include "core/model/ViewMode.h"
#include "ui/leftpane/LeftPaneIcons.h"
#include "ui/leftpane/ProbeNotices.h"
#include "ui/leftpane/Tab_NetworkIds.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/Ipv4AddressEdit.h"
#include "ui/shared/ListCtrl_Printer.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

#include <string>

namespace pellora::ui {

using namespace network;

namespace {

// The rows grow by this much over the classic dialog metrics.
constexpr int v = 4;
// The library waits this many seconds for answers after its last request.
constexpr int kProbeTimeout = 2;
constexpr char kDefaultMask[] = "255.255.255.0";

// The wait cursor while this lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

OnceFlag& CTab_Network::FirstProbe()
{
    static OnceFlag flag;
    return flag;
}

CTab_Network::CTab_Network(CLeftPane& pane, QWidget* parent, OnceFlag& firstProbe)
    : CTab(pane, IDD_TAB_NETWORK, kSection, parent)
    , m_pane(pane)
    , m_firstProbe(firstProbe)
    , m_library(pane.ProgramFolder())
    , m_notices(std::make_unique<ProbeNotices>())
{
    setObjectName(QString::fromLatin1(kSection));
    // The frame goes first, so that the controls inside it are drawn over it.
    m_group = AddControl<QGroupBox>(IDC_RANGE_GROUP);
    m_range = AddControl<QComboBox>(IDC_RANGE);
    m_addressLabel = AddControl<QLabel>(IDC_ADDRESS_LABEL);
    m_address = AddControl<Ipv4AddressEdit>(IDC_ADDRESS);
    m_maskLabel = AddControl<QLabel>(IDC_MASK_LABEL);
    m_mask = AddControl<Ipv4AddressEdit>(IDC_MASK);
    m_list = AddControl<CListCtrl_Printer>(IDC_RESULT_LIST);
    m_search = AddControl<QPushButton>(IDC_SEARCH);
    m_add = AddControl<QPushButton>(IDC_ADD_BUTTON);

    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
    m_search->setIcon(SearchButtonIcon());
    m_add->setIcon(AddButtonIcon());
    m_search->setIconSize(QSize(iconSize, iconSize));
    m_add->setIconSize(QSize(iconSize, iconSize));

    m_list->SetList(&m_results);
    m_list->SetMode(CListCtrl_Printer::Mode::Details);
    m_list->SetSingleSelection(true);

    LayoutTable& rules = LayoutRules();
    rules.SetRule(IDC_RANGE_GROUP, 4, 0, "100%-8", 90 + 2 * v);
    rules.SetRule(IDC_RANGE, 12, 16, "100%-24", 18 + v);
    rules.SetRule(IDC_ADDRESS_LABEL, 12, 40 + v, "40%", 18 + v);
    rules.SetRule(IDC_ADDRESS, "40%+12+4", 40 + v, "60%-28", 18 + v);
    rules.SetRule(IDC_MASK_LABEL, 12, 64 + v, "40%", 18 + v);
    rules.SetRule(IDC_MASK, "40%+12+4", 64 + v, "60%-28", 18 + v);
    rules.SetRule(IDC_RESULT_LIST, 4, 94 + 2 * v, "100%-8", "100%-94-30-18-" + std::to_string(v));
    rules.SetRule(IDC_SEARCH, 4, "100%-44", "50%-6", 40);
    rules.SetRule(IDC_ADD_BUTTON, "50%-6+8", "100%-44", "50%-6", 40);

    connect(m_search, &QPushButton::clicked, this, &CTab_Network::Search);
    connect(m_add, &QPushButton::clicked, this, &CTab_Network::AddSelected);
    connect(m_range, &QComboBox::currentIndexChanged, this, [this] { UpdateControls(); });
    connect(m_address, &Ipv4AddressEdit::addressChanged, this, [this] { UpdateControls(); });
    connect(m_mask, &Ipv4AddressEdit::addressChanged, this, [this] { UpdateControls(); });
    connect(m_list, &CListCtrl_Printer::selectionChanged, this, [this] { UpdateControls(); });
    connect(m_list, &CListCtrl_Printer::itemActivated, this, [this] {
        if (m_pane.ActiveProjectHasRoom())
            AddSelected();
    });
    connect(m_notices.get(), &ProbeNotices::noticeArrived, this, &CTab_Network::onNotice);

    Initialise();
    m_range->setCurrentIndex(kRangeLocalSegment);
    m_mask->SetText(QString::fromLatin1(kDefaultMask));
    UpdateControls();
}

CTab_Network::~CTab_Network()
{
    // The channel goes before the library deletes its object, so that no notice is read half way.
    m_notices->Close();
}

int CTab_Network::RangeMode() const
{
    return m_range->currentIndex();
}

void CTab_Network::Search()
{
    if (IsViewMode())
        return;
    m_library.SetTimeout(kProbeTimeout);
    switch (RangeMode()) {
    case kRangeLocalSegment:
        m_library.SetLocalSegment();
        break;
    case kRangeNetwork:
        m_library.SetNetwork(m_address->Address(), m_mask->Address());
        break;
    default:
        break;
    }
    // Each probe reports on a channel of its own: notices of a probe before never count for this one.
    const int channel = m_notices->Open();
    const bool started = channel >= 0 && m_library.Probe(channel);
    m_notices->CloseWriteEnd();
    if (!started) {
        m_notices->Close();
        return;
    }
    m_probeEnded = false;
    ++m_probesStarted;
    m_results.RemoveAll();
    m_list->Refresh();
    UpdateControls();
}

void CTab_Network::onNotice(char notice)
{
    TakeOneResult();
    if (notice == DiscoveryLibrary::kNoticeEnd)
        m_probeEnded = true;
}

int CTab_Network::TakeOneResult()
{
    const std::optional<std::vector<std::uint8_t>> block = m_library.TakeResult();
    if (!block)
        return -1;
    const std::optional<ProbeResultFields> found = ReadProbeResult(*block);
    if (!found)
        return 0;
    // Printers of models the program does not handle are not shown.
    std::unique_ptr<CPrinterInfoEx> record = RecordOfFoundPrinter(*found, ModelList::InFolder(m_pane.ProgramFolder()));
    if (record)
        m_list->AddRecord(record); // a refused record goes with this scope
    return 0;
}

void CTab_Network::AddSelected()
{
    if (IsViewMode())
        return;
    const WaitCursor wait;
    CCorvan2Doc* project = m_pane.ActiveProject();
    if (!project)
        return;
    for (const CPrinterInfoEx* found : m_list->SelectedRecords()) {
        // The record's own copy leaves the interface name out; the project's printer keeps it.
        auto copy = std::make_unique<CPrinterInfoEx>(*found);
        copy->nicName = found->nicName;
        project->AddPrinter(copy);
    }
    project->UpdateAllViews();
    UpdateControls();
}

void CTab_Network::Retext()
{
    CTab::Retext();
}

void CTab_Network::OnLeftPaneMessage(int message, int argument)
{
    if (message == WM_LEFT_PANE_NOTIFY && argument == IDC_ADD_BUTTON)
        UpdateControls();
}

bool CTab_Network::ReadControls()
{
    return true;
}

void CTab_Network::WriteControls()
{
}

void CTab_Network::UpdateControls()
{
    const bool on = !IsViewMode();
    const int mode = RangeMode();
    const bool networkGiven = m_address->IsComplete() && m_mask->IsComplete() && m_address->Address() != 0
                              && m_mask->Address() != 0;
    m_list->setEnabled(on);
    m_range->setEnabled(on);
    m_search->setEnabled(on && (mode == kRangeLocalSegment || (mode == kRangeNetwork && networkGiven)));
    m_address->setEnabled(on && mode != kRangeLocalSegment);
    m_addressLabel->setEnabled(on && mode != kRangeLocalSegment);
    m_mask->setEnabled(on && mode == kRangeNetwork);
    m_maskLabel->setEnabled(on && mode == kRangeNetwork);
    m_add->setEnabled(on && m_pane.ActiveProjectHasRoom() && !m_list->SelectedItems().empty());
}

void CTab_Network::OnRetext()
{
    m_list->SetColumnTexts(ItemTexts(kSection, IDC_RESULT_LIST));
    UpdateControls();
}

void CTab_Network::showEvent(QShowEvent* event)
{
    CTab::showEvent(event);
    // The first showing of a network page in a run looks for printers by itself.
    if (!m_initialised) {
        m_initialised = true;
        if (m_firstProbe.TakeFirst())
            QMetaObject::invokeMethod(this, &CTab_Network::Search, Qt::QueuedConnection);
    }
}

} // namespace pellora::ui
