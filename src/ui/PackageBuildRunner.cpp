#include "ui/PackageBuildRunner.h"

#include "ui/Corvan2ViewIds.h"
#include "ui/DialogTexts.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace pellora::ui {

using namespace corvan2;

namespace {

constexpr int kPollMilliseconds = 50;

QString Megabytes(std::uint64_t bytes)
{
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1);
}

} // namespace

BuildProgressDialog::BuildProgressDialog(QWidget* owner)
    : QProgressDialog(owner)
{
    setObjectName(QLatin1String(kObjectName));
    setWindowTitle(ItemText(kBuildSection, kBuildTitle));
    setWindowModality(Qt::ApplicationModal);
    setAutoClose(false);
    setAutoReset(false);
    setMinimumDuration(0);
    setRange(0, kSteps);
    setValue(0);
    setMinimumWidth(420);
    setLabelText(ItemText(kBuildSection, kBuildPreparing));
    auto* cancel = new QPushButton(ItemText(kBuildSection, kBuildCancel));
    setCancelButton(cancel);
    // Cancelling is a request to the build; the dialog goes when the build has cleaned up. The base
    // class connected its own reset by name, so it is taken away by name.
    disconnect(this, SIGNAL(canceled()), this, SLOT(cancel()));
    connect(this, &QProgressDialog::canceled, this, &BuildProgressDialog::requestCancel);
}

QString BuildProgressDialog::ProgressText(const BuildProgress& progress)
{
    return ItemText(kBuildSection, kBuildProgress)
        .arg(progress.filesDone)
        .arg(progress.filesTotal)
        .arg(Megabytes(progress.bytesDone), Megabytes(progress.bytesTotal));
}

void BuildProgressDialog::ShowProgress(const BuildProgress& progress)
{
    if (m_cancelRequested)
        return;
    const std::uint64_t total = progress.bytesTotal > 0 ? progress.bytesTotal : progress.filesTotal;
    const std::uint64_t done = progress.bytesTotal > 0 ? progress.bytesDone : progress.filesDone;
    setValue(total == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(done, total) * kSteps / total));
    setLabelText(ProgressText(progress));
}

void BuildProgressDialog::ShowCancelling()
{
    setLabelText(ItemText(kBuildSection, kBuildCancelling));
    if (auto* button = findChild<QPushButton*>())
        button->setEnabled(false);
}

void BuildProgressDialog::requestCancel()
{
    if (m_cancelRequested)
        return;
    m_cancelRequested = true;
    ShowCancelling();
    emit cancelRequested();
}

void BuildProgressDialog::reject()
{
    requestCancel();
}

void BuildProgressDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    requestCancel();
}

PackageBuildRunner::PackageBuildRunner(CCorvan2Doc& document, BuildEnvironment environment)
    : m_document(document)
    , m_environment(std::move(environment))
{
}

PackageBuildRunner::Outcome PackageBuildRunner::Run(QWidget* owner, const std::filesystem::path& output)
{
    struct Shared {
        std::mutex mutex;
        BuildProgress latest;
        bool fresh = false;
        std::atomic<bool> cancel{false};
        std::atomic<bool> done{false};
    } shared;

    BuildEnvironment environment = m_environment;
    const ProgressObserver observer = m_observer;
    environment.progress = [&shared, observer](const BuildProgress& progress) {
        if (observer)
            observer(progress);
        {
            const std::lock_guard<std::mutex> lock(shared.mutex);
            shared.latest = progress;
            shared.fresh = true;
        }
        return !shared.cancel.load();
    };
    m_document.SetBuildEnvironment(environment);

    BuildProgressDialog dialog(owner);
    QEventLoop loop;
    QObject::connect(&dialog, &BuildProgressDialog::cancelRequested, &dialog, [&shared] { shared.cancel = true; });
    QTimer poll;
    poll.setInterval(kPollMilliseconds);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&shared, &dialog] {
        BuildProgress progress;
        {
            const std::lock_guard<std::mutex> lock(shared.mutex);
            if (!shared.fresh)
                return;
            progress = shared.latest;
            shared.fresh = false;
        }
        dialog.ShowProgress(progress);
    });

    DocumentResult result;
    std::thread worker([this, &output, &result, &shared, &loop] {
        try {
            result = m_document.SaveDocument(output);
        } catch (const std::exception& error) {
            result = DocumentResult::Failure(kMessageCannotSave, error.what());
        }
        shared.done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    dialog.show();
    poll.start();
    if (!shared.done)
        loop.exec();
    worker.join();
    poll.stop();
    dialog.hide();

    // The callback refers to this run's state: the document keeps the environment without it.
    environment.progress = nullptr;
    m_document.SetBuildEnvironment(environment);

    Outcome outcome;
    outcome.cancelled = shared.cancel && !result.ok;
    outcome.result = std::move(result);
    return outcome;
}

} // namespace pellora::ui
