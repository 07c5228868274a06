// The shared-printer page: the tree level by level from an enumeration, which entries it shows, the record
// and the drag of a shared printer, and the first automatic search.

#include "ui/leftpane/Tab_Shared.h"

#include "ProjectViewTestSupport.h"
#include "core/document/Corvan2Doc.h"
#include "core/document/PrinterClipboard.h"
#include "core/model/ViewMode.h"
#include "support/CupsdFixture.h"
#include "ui/leftpane/Tab_SharedIds.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/PrinterMimeData.h"

#include <QCoreApplication>
#include <QDrag>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>

namespace pellora::ui {
namespace {

using platform::SharedPrinterEntry;
using namespace platform;

// Levels the test has written down: what each name leads to. It stands for the forms of entries that
// the print system here never gives (domains, providers that do not open by themselves); the page's
// search of a real print server is the CUPS source's own test.
class ScriptedSource final : public SharedPrinterSource {
public:
    explicit ScriptedSource(std::map<std::string, std::vector<SharedPrinterEntry>> levels) : m_levels(std::move(levels)) {}

    std::vector<SharedPrinterEntry> EnumerateLevel(const std::string& name, const std::function<bool()>&) override
    {
        const std::lock_guard lock(m_mutex);
        m_asked.push_back(name);
        const auto found = m_levels.find(name);
        return found == m_levels.end() ? std::vector<SharedPrinterEntry>{} : found->second;
    }

    std::vector<std::string> Asked() const
    {
        const std::lock_guard lock(m_mutex);
        return m_asked;
    }

private:
    const std::map<std::string, std::vector<SharedPrinterEntry>> m_levels;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_asked;
};

const std::map<std::string, std::vector<SharedPrinterEntry>> kNetwork{
    {"", {{kSharedEntryProvider | kSharedEntryContainer | kSharedEntryExpand, "Print Network", "net", "", ""},
          // A provider that does not ask to be opened is not even sent.
          {kSharedEntryProvider | kSharedEntryContainer, "Other Network", "other", "", ""}}},
    {"net", {{kSharedEntryDomain | kSharedEntryContainer | kSharedEntryExpand, "OFFICE", "OFFICE", "", ""}}},
    {"OFFICE",
     {{kSharedEntryServer | kSharedEntryContainer | kSharedEntryExpand, "SRV", "\\\\SRV", "", ""},
      // A printer directly under a domain is not shown.
      {0, "\\\\OFFICE\\Loose", "\\\\OFFICE\\Loose", "", "VARDO RX-C3400"}}},
    {"\\\\SRV",
     {{0, "P1", "\\\\SRV\\P1", "first floor", "VARDO RX-C3400"},
      {0, "Other", "\\\\SRV\\Other", "", "QZ-9000 PCL"},
      {0, "P2", "\\\\SRV\\P2", "", "VDL-N4000+"}}},
};

class Tab_SharedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pane.SetProgramFolder(strings.folder().path());
        project.OnNewDocument();
        project.SetMaxPrinterCount(1);
        pane.SetActiveProjectProvider([this] { return &project; });
        searched.TakeFirst();
    }

    CTab_Shared::SourceFactory factory()
    {
        return [this] {
            ++searches;
            return source;
        };
    }

    QTreeWidgetItem* find(const CTab_Shared& page, const QString& text) const
    {
        const QList<QTreeWidgetItem*> items = page.Tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return items.isEmpty() ? nullptr : items.front();
    }

    // Searches from the top and waits until every level that opens by itself has loaded.
    void searchAll(CTab_Shared& page, std::size_t levels)
    {
        page.Search();
        ASSERT_TRUE(test::WaitFor([&] { return source->Asked().size() >= levels && !page.Searching(); }, 10000));
    }

    test::ViewStrings strings;
    CLeftPane pane;
    CCorvan2Doc project{strings.Environment()};
    OnceFlag searched;
    int searches = 0;
    std::shared_ptr<ScriptedSource> source = std::make_shared<ScriptedSource>(kNetwork);
};

TEST_F(Tab_SharedTest, LevelsLoadAsTheyOpenAndShowOnlySupportedPrintersUnderServers)
{
    CTab_Shared page(pane, nullptr, searched, factory());
    page.show();
    searchAll(page, 4);
    EXPECT_EQ(source->Asked(), (std::vector<std::string>{"", "net", "OFFICE", "\\\\SRV"}));

    EXPECT_EQ(find(page, "Other Network"), nullptr);
    EXPECT_EQ(find(page, "Loose"), nullptr);
    EXPECT_EQ(find(page, "Other"), nullptr);
    QTreeWidgetItem* server = find(page, "SRV");
    ASSERT_NE(server, nullptr);
    ASSERT_EQ(server->childCount(), 2);
    EXPECT_EQ(server->child(0)->text(0), "P1");
    EXPECT_EQ(server->child(1)->text(0), "P2");
    EXPECT_TRUE(server->isExpanded());

    // Opening a loaded node asks nothing again.
    server->setExpanded(false);
    server->setExpanded(true);
    EXPECT_EQ(source->Asked().size(), 4u);

    // A printer's record: the address for Windows clients, the share as name, the driver as model.
    page.Tree()->setCurrentItem(server->child(0));
    EXPECT_EQ(page.ModelText(), "VARDO RX-C3400");
    const std::unique_ptr<CPrinterInfoEx> record = page.SelectedPrinterRecord();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->address, "\\\\SRV\\P1");
    EXPECT_EQ(record->printerName, "P1");
    EXPECT_EQ(record->modelName, "VARDO RX-C3400");
    EXPECT_EQ(record->macAddress, "");
    EXPECT_EQ(record->sharedPrinter, 1);
    EXPECT_EQ(record->entryKind, 0);

    // A container gives no record and empties the model text.
    page.Tree()->setCurrentItem(server);
    EXPECT_EQ(page.SelectedPrinterRecord(), nullptr);
    EXPECT_EQ(page.ModelText(), "");
}

TEST_F(Tab_SharedTest, AddDoubleClickAndDragGiveTheProjectOneRecordUntilItIsFull)
{
    CTab_Shared page(pane, nullptr, searched, factory());
    page.show();
    searchAll(page, 4);
    auto* add = qobject_cast<QPushButton*>(FindControl(&page, IDC_ADD_BUTTON));
    QTreeWidgetItem* p1 = find(page, "P1");
    ASSERT_TRUE(add && p1);

    EXPECT_FALSE(add->isEnabled());
    page.Tree()->setCurrentItem(p1);
    EXPECT_TRUE(add->isEnabled());

    // Dragged: one record as the printer payload, nothing added by the drag itself.
    std::vector<std::uint8_t> payload;
    page.SetDragRunner([&](QDrag& drag) { payload = *PrinterPayload(drag.mimeData()); });
    ASSERT_TRUE(page.StartDrag());
    const auto dragged = ReadPayload(payload);
    ASSERT_TRUE(dragged && dragged->size() == 1);
    EXPECT_EQ(dragged->front()->address, "\\\\SRV\\P1");
    EXPECT_EQ(project.GetCount(), 0u);

    add->click();
    ASSERT_EQ(project.GetCount(), 1u);
    EXPECT_EQ(project.GetAt(0)->printerName, "P1");
    EXPECT_TRUE(project.IsModified());
    EXPECT_FALSE(add->isEnabled()) << "the project's list is full";

    // A double click on a full project adds nothing.
    page.Tree()->setCurrentItem(find(page, "P2"));
    emit page.Tree()->itemDoubleClicked(find(page, "P2"), 0);
    EXPECT_EQ(project.GetCount(), 1u);

    // View mode leaves the tree, Search and Add off.
    const ScopedViewMode viewMode;
    page.OnSelectionChanged();
    for (const int id : std::initializer_list<int>{shared::IDC_TREE, shared::IDC_SEARCH, IDC_ADD_BUTTON})
        EXPECT_FALSE(FindControl(&page, id)->isEnabled()) << id;
}

TEST_F(Tab_SharedTest, OnlyTheFirstShowingSearchesByItselfAndAClosingPageStopsItsWorker)
{
    OnceFlag first;
    {
        CTab_Shared page(pane, nullptr, first, factory());
        page.show();
        EXPECT_TRUE(test::WaitFor([&] { return !source->Asked().empty(); }));
    }
    EXPECT_EQ(searches, 1);
    CTab_Shared second(pane, nullptr, first, factory());
    second.show();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(second.Tree()->topLevelItemCount(), 0);
}

TEST_F(Tab_SharedTest, TheSystemSourceShowsTheSharedQueuesOfTheAdministratorsPrintServer)
{
    // No scheduler of the machine answers here; the one of the test is named in the user's settings.
    test::CupsdFixture cupsd;
    ASSERT_TRUE(cupsd.running()) << cupsd.log();
    ASSERT_TRUE(cupsd.AddQueue("Hall", "VARDO RX-C3400", "Hall", true)) << cupsd.log();
    ASSERT_TRUE(cupsd.AddQueue("Acme", "Acme Laser 10", "", true)) << cupsd.log();
    ASSERT_TRUE(cupsd.AddQueue("Desk", "VARDO RX-C3400", "", false)) << cupsd.log();
    CTab_Shared::SetConfiguredServers({"  ", cupsd.address()});
    ASSERT_EQ(CTab_Shared::ConfiguredServers(), std::vector<std::string>{cupsd.address()});

    CTab_Shared page(pane, nullptr, searched, CTab_Shared::SystemSource());
    page.show();
    page.Search();
    QTreeWidgetItem* server = nullptr;
    const auto tree = [&] {
        QStringList texts;
        for (QTreeWidgetItemIterator it(page.Tree()); *it; ++it)
            texts << (*it)->text(0);
        return texts.join(", ").toStdString();
    };
    ASSERT_TRUE(test::WaitFor([&] { return !page.Searching() && (server = find(page, QString::fromStdString(cupsd.address()))); }, 15000))
        << tree();
    page.OpenItem(server);
    ASSERT_TRUE(test::WaitFor([&] { return !page.Searching(); }, 15000));
    ASSERT_EQ(server->childCount(), 1) << "only the shared queue of a listed model";
    page.Tree()->setCurrentItem(server->child(0));
    const std::unique_ptr<CPrinterInfoEx> record = page.SelectedPrinterRecord();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->address, "\\\\" + cupsd.address() + "\\Hall");
    EXPECT_EQ(record->modelName, "VARDO RX-C3400");
}

} // namespace
} // namespace pellora::ui
