#include "app/ReporterMessageService.h"

#include "QtTestApplication.h"
#include "app/CommandLine.h"
#include "app/QtMessagePresenter.h"
#include "core/i18n/StringServiceClient.h"
#include "core/i18n/StringTable.h"
#include "core/model/ViewMode.h"
#include "core/platform/UserRuntime.h"
#include "core/util/Support.h"
#include "support/StringTableFixture.h"
#include "ui/frame/MainFrame.h"
#include "ui/stringservice/ReceiverWindow.h"

#include <QElapsedTimer>

#include <future>

namespace pellora {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kTable = "[String Table]\r\n"
                                    "100=Cannot open.\r\n"
                                    "101=Not saved.\r\n"
                                    "[Pellorix.exe\\MESSAGE]\r\n"
                                    "M5=5:100\r\n"
                                    "M6=6:101\r\n";

using ReporterMessageServiceTest = test::QtApplicationTest;

// The windows' messages of a view-mode run, as the string-editing tool asks for them: each one is a box
// that does not block, and the next one stands where the last one stood.
TEST_F(ReporterMessageServiceTest, InViewModeTheToolsMessagesAreBoxesThatKeepTheirPlace)
{
    const test::StringTableFixture strings(kTable);
    ASSERT_TRUE(TheStringTable().Load(strings.folder().path(), 0, kStringTableGroup));
    CommandLineInfo commandLine;
    commandLine.viewMode = true;
    const ScopedViewMode viewMode;
    QtMessagePresenter presenter;
    MessageReporter reporter(TheStringTable(), commandLine, presenter);
    reporter.SetCaption("Pellora");
    const ReporterMessageService service(reporter);

    ui::CMainFrame frame(strings.folder().environment());
    ASSERT_TRUE(frame.Create(0));
    ASSERT_TRUE(frame.NewDocument());
    frame.show();
    const ScopedTempFolder runtime;
    const platform::StringServiceNames names = platform::StringServiceNames::In(runtime.path(), platform::UserTag());
    StringServiceClient tool(names);
    ASSERT_TRUE(tool.CreateRecords().ok());
    ui::CReceiverWindow receiver(&frame, strings.folder().path(), [](int) {});
    ASSERT_EQ(receiver.Open(names), ui::CReceiverWindow::Failure::None);
    ASSERT_TRUE(tool.Connect(1s).ok());
    const auto send = [&tool](std::string section, std::int32_t number) {
        StringServiceRecord record;
        record.section = std::move(section);
        record.identifier = number;
        auto answer = std::async(std::launch::async, [&] { return tool.Send(1, record, 5s); });
        QElapsedTimer clock;
        clock.start();
        while (answer.wait_for(0ms) != std::future_status::ready && clock.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return answer.get();
    };

    ASSERT_EQ(send("MESSAGE", 5), StringServiceClient::Answer::Answered);
    QMessageBox* first = presenter.nonBlockingBox();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->text(), "Cannot open.");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    first->move(33, 44);

    ASSERT_EQ(send("message", 6), StringServiceClient::Answer::Answered);
    QMessageBox* second = presenter.nonBlockingBox();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->text(), "Not saved.");
    EXPECT_EQ(second->frameGeometry().topLeft(), QPoint(33, 44));

    // Another screen closes the box.
    ASSERT_EQ(send("IDD_CORVAN2_FORM", 1000), StringServiceClient::Answer::Answered);
    EXPECT_EQ(presenter.nonBlockingBox(), nullptr);
}

} // namespace
} // namespace pellora
