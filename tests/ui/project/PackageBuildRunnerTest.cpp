// A package build on its worker thread with the progress dialog: progress, success, and a cancel that
// leaves nothing behind.

#include "ui/project/PackageBuildRunner.h"

#include "ProjectViewTestSupport.h"
#include "ui/frame/ChildFrame.h"

#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>

namespace pellora::ui {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PackageBuildRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document.OnNewDocument();
        document.GetScript().printers.push_back(build.ValidPrinter("Office"));
        // Enough driver files for several progress reports.
        for (int i = 0; i < 40; ++i)
            build.folder().writeFile("drivers/rx/file" + std::to_string(i) + ".dll", std::string(32 * 1024, 'x'));
        fs::create_directories(output);
    }

    test::BuildFolder build;
    CCorvan2Doc document{build.Environment()};
    fs::path output = build.folder().path() / "out";
};

TEST_F(PackageBuildRunnerTest, BuildReportsProgressAndWritesThePackage)
{
    std::mutex mutex;
    std::vector<BuildProgress> reports;
    PackageBuildRunner runner(document);
    runner.SetProgressObserver([&](const BuildProgress& progress) {
        const std::lock_guard<std::mutex> lock(mutex);
        reports.push_back(progress);
    });
    QString title;
    test::ModalScript dialogs;
    dialogs.Then(test::ModalScript::Named(BuildProgressDialog::kObjectName), [&](QWidget* modal) {
        title = modal->windowTitle();
        EXPECT_TRUE(modal->isModal());
    });
    document.SetModifiedFlag(true);

    const fs::path package = output / "office.exe";
    const PackageBuildRunner::Outcome outcome = runner.Run(nullptr, package);
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.status.text();
    EXPECT_FALSE(outcome.cancelled());
    EXPECT_TRUE(fs::exists(package));
    // The project file was not written: the changes made before the build are still unsaved.
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(document.GetPathName().empty());

    ASSERT_FALSE(reports.empty());
    // Every driver file and the packed files are counted; the totals hold what was done.
    EXPECT_GE(reports.back().filesTotal, 41u);
    for (const BuildProgress& report : reports) {
        EXPECT_LE(report.filesDone, report.filesTotal);
        EXPECT_LE(report.bytesDone, report.bytesTotal);
    }
    EXPECT_EQ(reports.back().bytesDone, reports.back().bytesTotal);
    EXPECT_EQ(dialogs.unexpected(), 0);
    if (dialogs.done()) {
        EXPECT_EQ(title, "Create Package");
    }
}

TEST_F(PackageBuildRunnerTest, CancelLeavesNoOutputAndNoStagingFolder)
{
    const fs::path package = output / "office.exe";
    // A file already there stays as it was.
    build.folder().writeFile("out/office.exe", "the earlier package");
    document.SetModifiedFlag(true);
    const auto stagingBefore = test::BuildFolder::StagingFolders();

    // The worker waits at its first report until the user has pressed Cancel.
    std::promise<void> cancelled;
    std::shared_future<void> cancelPressed = cancelled.get_future().share();
    std::atomic<int> reportsAfterCancel{0};
    std::atomic<bool> waited{false};
    PackageBuildRunner runner(document);
    runner.SetProgressObserver([&](const BuildProgress&) {
        if (!waited.exchange(true)) {
            EXPECT_EQ(cancelPressed.wait_for(std::chrono::seconds(20)), std::future_status::ready);
            return;
        }
        ++reportsAfterCancel;
    });
    test::ModalScript dialogs;
    dialogs.Then(test::ModalScript::Named(BuildProgressDialog::kObjectName), [&](QWidget* modal) {
        auto* button = modal->findChild<QPushButton*>();
        ASSERT_NE(button, nullptr);
        button->click();
        auto* dialog = static_cast<BuildProgressDialog*>(modal);
        EXPECT_TRUE(dialog->CancelRequested());
        // The dialog stays until the build has cleaned up; Cancel cannot be pressed twice.
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(button->isEnabled());
        EXPECT_EQ(dialog->labelText(), "Cancelling. The files written so far are being removed...");
        cancelled.set_value();
    });

    const PackageBuildRunner::Outcome outcome = runner.Run(nullptr, package);
    EXPECT_TRUE(outcome.cancelled());
    EXPECT_FALSE(outcome.result.ok());
    EXPECT_TRUE(dialogs.done());
    EXPECT_EQ(ReadFile(package), "the earlier package");
    // Nothing beside it either: no partly written package.
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(output))
        left.push_back(entry.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{"office.exe"});
    EXPECT_EQ(test::BuildFolder::StagingFolders(), stagingBefore);
    // The document is as it was.
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(document.GetPathName().empty());
    EXPECT_EQ(document.GetScript().printers.size(), 1u);
    // The build stopped at the next report.
    EXPECT_LE(reportsAfterCancel.load(), 1);

    // The document's environment no longer reports to this run.
    const fs::path second = output / "second.exe";
    PackageBuildRunner again(document);
    EXPECT_TRUE(again.Run(nullptr, second).result.ok());
    EXPECT_TRUE(fs::exists(second));
}

TEST_F(PackageBuildRunnerTest, AWindowClosedDuringABuildCancelsItAndClosesOnlyAfterwards)
{
    // The project window of the build: closing it (as a termination request does) must not take the
    // document away while the worker builds.
    auto owned = std::make_unique<CCorvan2Doc>(build.Environment());
    owned->OnNewDocument();
    owned->GetScript().printers.push_back(build.ValidPrinter("Office"));
    auto* child = new CChildFrame(std::move(owned));
    child->setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy closing(child, &CChildFrame::closing);
    child->show();

    std::promise<void> closed;
    std::shared_future<void> closeRequested = closed.get_future().share();
    std::atomic<bool> waited{false};
    PackageBuildRunner runner(child->Document());
    runner.SetProgressObserver([&](const BuildProgress&) {
        if (!waited.exchange(true)) {
            EXPECT_EQ(closeRequested.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        }
    });
    test::ModalScript dialogs;
    dialogs.Then(test::ModalScript::Named(BuildProgressDialog::kObjectName), [&](QWidget* modal) {
        EXPECT_FALSE(child->close());
        EXPECT_TRUE(child->isVisible());
        EXPECT_TRUE(static_cast<BuildProgressDialog*>(modal)->CancelRequested());
        EXPECT_TRUE(PackageBuildRunner::AnyRunning());
        closed.set_value();
    });

    const fs::path package = output / "office.exe";
    const PackageBuildRunner::Outcome outcome = runner.Run(nullptr, package);
    EXPECT_TRUE(outcome.cancelled());
    EXPECT_FALSE(fs::exists(package));
    EXPECT_FALSE(PackageBuildRunner::AnyRunning());
    // The window asks again once the build has ended, and goes.
    EXPECT_EQ(closing.count(), 0);
    EXPECT_TRUE(test::WaitFor([&] { return closing.count() == 1; }));
    EXPECT_FALSE(child->isVisible());
    delete child;
}

TEST_F(PackageBuildRunnerTest, ClosingTheDialogAsksToCancel)
{
    BuildProgressDialog dialog(nullptr);
    QSignalSpy requests(&dialog, &BuildProgressDialog::cancelRequested);
    dialog.show();
    dialog.reject();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.close() == false);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(requests.count(), 1);
    EXPECT_TRUE(dialog.CancelRequested());
}

TEST_F(PackageBuildRunnerTest, ProgressTextAndBar)
{
    BuildProgress progress;
    progress.filesDone = 3;
    progress.filesTotal = 10;
    progress.bytesDone = 1572864;   // 1.5 MB
    progress.bytesTotal = 12582912; // 12 MB
    EXPECT_EQ(BuildProgressDialog::ProgressText(progress), "Building the package: 3 of 10 files, 1.5 of 12.0 MB");

    BuildProgressDialog dialog(nullptr);
    dialog.ShowProgress(progress);
    EXPECT_EQ(dialog.value(), BuildProgressDialog::kSteps / 8);
    EXPECT_EQ(dialog.labelText(), BuildProgressDialog::ProgressText(progress));
    // Nothing to count yet: the bar stays at its start.
    dialog.ShowProgress(BuildProgress{});
    EXPECT_EQ(dialog.value(), 0);
}

} // namespace
} // namespace pellora::ui
