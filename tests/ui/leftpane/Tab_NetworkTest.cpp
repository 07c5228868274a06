// The network page: its enabling rules, the first automatic probe, a probe of snmpd printers on
// loopback addresses and adding what it found to the active project.

#include "ui/leftpane/Tab_Network.h"

#include "MessageRecorder.h"
#include "ProjectViewTestSupport.h"
#include "core/document/Corvan2Doc.h"
#include "core/model/ViewMode.h"
#include "support/SnmpAgent.h"
#include "ui/leftpane/Tab_NetworkIds.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/Ipv4AddressEdit.h"
#include "ui/shared/ListCtrl_Printer.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <sched.h>
#include <unistd.h>

namespace pellora::ui {
namespace {

using namespace network;

const std::string kPrinterType = "override .1.3.6.1.2.1.25.3.2.1.2.1 object_id .1.3.6.1.2.1.25.3.1.5";

// An snmpd answering as a printer of the model with the MAC address (twelve hex digits, or none).
std::string PrinterAgent(const std::string& name, const std::string& model, const std::string& mac)
{
    std::string text = "rocommunity public 127.0.0.0/8\nsysName " + name + "\n" + kPrinterType + "\n" +
                       "override .1.3.6.1.4.1.2699.1.2.1.2.1.1.3.1 octet_str \"MFG:VARDO;MDL:" + model + ";\"\n";
    if (!mac.empty())
        text += "override .1.3.6.1.2.1.2.2.1.6.1 octet_str 0x" + mac + "\n";
    return text;
}

class Tab_NetworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(std::filesystem::path(PELLORA_BIN_DIR) / DiscoveryLibrary::kFileName,
                                   strings.folder().file(DiscoveryLibrary::kFileName));
        pane.SetProgramFolder(strings.folder().path());
        project.OnNewDocument();
        project.SetMaxPrinterCount(1);
        pane.SetActiveProjectProvider([this] { return hasProject ? &project : nullptr; });
    }

    template <class Control>
    Control* control(CTab_Network& page, int id) const
    {
        return qobject_cast<Control*>(FindControl(&page, id));
    }

    // Chooses the given network and starts a probe; true once the probe has ended.
    bool probe(CTab_Network& page, const QString& address, const QString& mask)
    {
        control<QComboBox>(page, IDC_RANGE)->setCurrentIndex(kRangeNetwork);
        page.AddressField()->SetText(address);
        page.MaskField()->SetText(mask);
        page.Search();
        return test::WaitFor([&] { return page.ProbeEnded(); }, 15000);
    }

    test::ViewStrings strings;
    CLeftPane pane;
    CCorvan2Doc project{strings.Environment()};
    bool hasProject = true;
    OnceFlag probed; // a page with this flag makes no probe of its own
    test::MessageRecorder messages;
};

TEST_F(Tab_NetworkTest, EnablingRulesFollowTheRangeTheFieldsTheSelectionAndTheProject)
{
    probed.TakeFirst();
    CTab_Network page(pane, nullptr, probed);
    page.show();
    auto* range = control<QComboBox>(page, IDC_RANGE);
    auto* search = control<QPushButton>(page, IDC_SEARCH);
    auto* add = control<QPushButton>(page, IDC_ADD_BUTTON);
    ASSERT_TRUE(range && search && add);
    EXPECT_EQ(range->count(), 2);
    EXPECT_EQ(range->currentIndex(), kRangeLocalSegment);
    EXPECT_EQ(page.MaskField()->Text(), "255.255.255.0");

    // The local segment needs no fields.
    EXPECT_TRUE(search->isEnabled());
    EXPECT_FALSE(page.AddressField()->isEnabled());
    EXPECT_FALSE(page.MaskField()->isEnabled());

    // A given network needs both fields complete and neither zero.
    range->setCurrentIndex(kRangeNetwork);
    EXPECT_TRUE(page.AddressField()->isEnabled());
    EXPECT_TRUE(page.MaskField()->isEnabled());
    EXPECT_FALSE(search->isEnabled());
    page.AddressField()->SetText("192.168.0.10");
    EXPECT_TRUE(search->isEnabled());
    page.MaskField()->Clear();
    EXPECT_FALSE(search->isEnabled());
    page.MaskField()->SetText("255.255.255.0");
    page.AddressField()->SetText("0.0.0.0");
    EXPECT_FALSE(search->isEnabled());
    page.AddressField()->SetText("192.168.0.10");
    EXPECT_EQ(page.AddressField()->Address(), 0xC0A8000Au);

    // Add: a selected result and a project with room.
    auto found = std::make_unique<CPrinterInfoEx>();
    found->printerName = "RX-C3400";
    ASSERT_EQ(page.Results()->AddRecord(found), 0);
    EXPECT_FALSE(add->isEnabled());
    page.Results()->SelectItems({0});
    EXPECT_TRUE(add->isEnabled());
    hasProject = false;
    page.OnLeftPaneMessage(WM_LEFT_PANE_NOTIFY, IDC_ADD_BUTTON);
    EXPECT_FALSE(add->isEnabled());
    hasProject = true;
    project.AddPrinter();
    page.OnLeftPaneMessage(WM_LEFT_PANE_NOTIFY, IDC_ADD_BUTTON);
    EXPECT_FALSE(add->isEnabled()) << "the project's printer list is full";

    // View mode leaves every control off.
    const ScopedViewMode viewMode;
    page.OnSelectionChanged();
    for (const int id : std::initializer_list<int>{IDC_RESULT_LIST, IDC_RANGE, IDC_SEARCH, IDC_ADD_BUTTON, IDC_ADDRESS, IDC_MASK})
        EXPECT_FALSE(FindControl(&page, id)->isEnabled()) << id;
}

TEST_F(Tab_NetworkTest, AProbeListsTheSupportedPrintersItFoundAndAddsCopiesToTheProject)
{
    std::vector<std::unique_ptr<test::SnmpAgent>> agents;
    for (const auto& [address, configuration] : std::vector<std::pair<std::string, std::string>>{
             {"127.0.20.11", PrinterAgent("hall", "RX-C3400", "0000AA000011")},
             {"127.0.20.12", PrinterAgent("unlisted", "QZ-9000", "0000AA000012")},
             {"127.0.20.13", PrinterAgent("office", "VDL-N4000+", "")},
             {"127.0.20.14", PrinterAgent("store", "VDL-N4000+", "")},
             // The same printer again, by its MAC address.
             {"127.0.20.15", PrinterAgent("hall", "RX-C3400", "0000AA000011")}}) {
        agents.push_back(test::SnmpAgent::OnLoopback(address, configuration));
        ASSERT_TRUE(agents.back()->ready()) << agents.back()->Log();
    }
    probed.TakeFirst();
    CTab_Network page(pane, nullptr, probed);
    ASSERT_TRUE(page.LibraryAvailable());
    page.show();
    EXPECT_EQ(page.TakeOneResult(), -1) << "nothing waits before a probe";
    ASSERT_TRUE(probe(page, "127.0.20.0", "255.255.255.0"));

    // The unlisted model and the second answer of one MAC address are left out; two printers without MAC
    // address are two rows.
    const auto& results = page.ResultRecords().Printers();
    ASSERT_EQ(results.size(), 3u);
    std::map<std::string, const CPrinterInfoEx*> byAddress;
    for (const auto& record : results)
        byAddress[record->address] = record.get();
    // Whichever answer of the doubled printer came first stays.
    ASSERT_EQ(byAddress.count("127.0.20.11") + byAddress.count("127.0.20.15"), 1u);
    const CPrinterInfoEx& hall = *byAddress.at(byAddress.count("127.0.20.11") ? "127.0.20.11" : "127.0.20.15");
    EXPECT_EQ(hall.modelName, "VARDO RX-C3400");
    EXPECT_EQ(hall.printerName, "VARDO RX-C3400");
    EXPECT_EQ(hall.macAddress, "0000AA000011");
    EXPECT_EQ(hall.subnetMask, "255.255.255.0");
    EXPECT_EQ(hall.deviceId, "MFG:VARDO;MDL:RX-C3400;");
    EXPECT_EQ(hall.identityNote, "hall");
    EXPECT_EQ(hall.nicName, "lo");
    EXPECT_EQ(hall.entryKind, 0);
    EXPECT_EQ(byAddress.count("127.0.20.13"), 1u);
    EXPECT_EQ(byAddress.count("127.0.20.14"), 1u);

    // A copy goes into the project, with the interface name the record's own copy leaves out.
    page.Results()->SelectRecord(&hall);
    page.AddSelected();
    ASSERT_EQ(project.GetCount(), 1u);
    EXPECT_EQ(project.GetAt(0)->address, hall.address);
    EXPECT_EQ(project.GetAt(0)->nicName, "lo");
    EXPECT_NE(project.GetAt(0), &hall);
    EXPECT_EQ(page.ResultRecords().GetCount(), 3u);

    // The project is full now: a double click adds nothing.
    page.Results()->SelectRecord(byAddress.at("127.0.20.13"));
    emit page.Results()->itemActivated(0);
    EXPECT_EQ(project.GetCount(), 1u);

    // A new search starts from an empty list.
    ASSERT_TRUE(probe(page, "127.0.21.0", "255.255.255.0"));
    EXPECT_EQ(page.ResultRecords().GetCount(), 0u);
}

TEST_F(Tab_NetworkTest, OnlyTheFirstShowingOfARunProbesByItself)
{
    // The automatic probe covers the local segment: it runs in a network of the test's own, where no
    // interface but the loopback one exists, so that nothing leaves the machine.
    if (::geteuid() != 0 || ::unshare(CLONE_NEWNET) != 0)
        GTEST_SKIP() << "a network namespace of the test's own cannot be made here";

    OnceFlag firstProbe;
    CTab_Network first(pane, nullptr, firstProbe);
    first.show();
    EXPECT_TRUE(test::WaitFor([&] { return first.ProbeEnded(); }, 10000)) << "a probe without interfaces ends";
    EXPECT_EQ(first.ProbesStarted(), 1);

    CTab_Network second(pane, nullptr, firstProbe);
    second.show();
    first.hide();
    first.show();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(second.ProbesStarted(), 0);
    EXPECT_EQ(first.ProbesStarted(), 1);
}

} // namespace
} // namespace pellora::ui
