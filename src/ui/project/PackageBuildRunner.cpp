#include "ui/project/PackageBuildRunner.h"

#include "core/util/MessageNumbers.h"
#include "ui/project/Corvan2ViewIds.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/WorkerThread.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QPushButton>

#include <QPointer>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <utility>
#include <vector>

namespace pellora::ui {

using namespace corvan2;

namespace {

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

namespace {

// The dialogs of the builds that run now, and the windows to close once they have all ended.
struct RunningBuilds {
    std::vector<BuildProgressDialog*> dialogs;
    std::vector<QPointer<QWidget>> closeAfterwards;
};

RunningBuilds& Running()
{
    static RunningBuilds running;
    return running;
}

} // namespace

QString PackageBuildRunner::Outcome::Notice() const
{
    return result.ok() && result.installerMissing ? ItemText(kBuildSection, kBuildNoInstaller) : QString();
}

QString PackageBuildRunner::Outcome::FailureDetail() const
{
    // The table's texts break their lines with CR LF; the detail uses line feeds throughout.
    return failureLines().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString PackageBuildRunner::Outcome::failureLines() const
{
    if (result.ok())
        return {};
    if (!result.signingToolReason.empty())
        return ItemText(kBuildSection, kBuildSigningFailed) + QLatin1Char('\n') +
               QString::fromStdString(result.signingToolReason);
    if (!result.refusal)
        return {};
    const NameRefusal& refusal = *result.refusal;
    const QString name = QString::fromStdString(VisibleName(refusal.path));
    QString text = refusal.folder.empty() ? ItemText(kBuildSection, kBuildNameAtTop).arg(name)
                                          : ItemText(kBuildSection, kBuildNameInFolder)
                                                .arg(name, QString::fromStdString(VisibleName(refusal.folder.string())));
    text += QLatin1Char('\n');
    switch (refusal.fault) {
    case NameFault::ForbiddenCharacter:
        return text + ItemText(kBuildSection, kBuildForbiddenCharacter).arg(QString::fromStdString(refusal.other));
    case NameFault::ControlCharacter:
        return text + ItemText(kBuildSection, kBuildControlCharacter);
    case NameFault::TrailingDotOrBlank:
        return text + ItemText(kBuildSection, kBuildTrailingDotOrBlank);
    case NameFault::DeviceName:
        return text + ItemText(kBuildSection, kBuildDeviceName);
    case NameFault::NotUtf8:
        return text + ItemText(kBuildSection, kBuildNotUtf8);
    case NameFault::NameTwin:
        return text + ItemText(kBuildSection, kBuildNameTwin).arg(QString::fromStdString(VisibleName(refusal.other)));
    case NameFault::None:
        break;
    }
    return text;
}

PackageBuildRunner::PackageBuildRunner(CCorvan2Doc& document)
    : m_document(document)
{
}

bool PackageBuildRunner::AnyRunning()
{
    return !Running().dialogs.empty();
}

bool PackageBuildRunner::DeferClose(QWidget* window)
{
    RunningBuilds& running = Running();
    if (running.dialogs.empty())
        return false;
    if (std::find(running.closeAfterwards.begin(), running.closeAfterwards.end(), window) == running.closeAfterwards.end())
        running.closeAfterwards.emplace_back(window);
    for (BuildProgressDialog* dialog : running.dialogs)
        dialog->reject();
    return true;
}

PackageBuildRunner::Outcome PackageBuildRunner::Run(QWidget* owner, const std::filesystem::path& output,
                                                    const SigningSettings& signing)
{
    // Everything the worker reads is its own: a copy of the project and of the program's environment.
    const CScriptFile project = m_document.ScriptToSave();
    BuildEnvironment environment = m_document.Environment();
    environment.signing = signing;

    BuildProgressDialog dialog(owner);
    std::atomic<bool> cancel{false};
    // One progress report waits for the dialog at a time; the newest replaces it.
    struct Latest {
        std::mutex mutex;
        BuildProgress progress;
        bool posted = false;
    } latest;
    DocumentResult result;
    WorkerThread worker;
    const ProgressObserver observer = m_observer;
    environment.progress = [&](const BuildProgress& progress) {
        if (observer)
            observer(progress);
        const std::lock_guard lock(latest.mutex);
        latest.progress = progress;
        if (!latest.posted) {
            latest.posted = true;
            worker.Post([&] {
                BuildProgress shown;
                {
                    const std::lock_guard lock(latest.mutex);
                    shown = latest.progress;
                    latest.posted = false;
                }
                dialog.ShowProgress(shown);
            });
        }
        return !cancel.load();
    };
    QObject::connect(&dialog, &BuildProgressDialog::cancelRequested, &dialog, [&cancel] { cancel = true; });

    QEventLoop loop;
    bool done = false;
    QObject::connect(&worker, &WorkerThread::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    worker.Start([&] {
        try {
            result = BuildPackageFile(project, environment, output);
        } catch (const std::exception& error) {
            result = DocumentResult::Failure(kMessageCannotSave, error.what());
        }
    });

    RunningBuilds& running = Running();
    running.dialogs.push_back(&dialog);
    dialog.show();
    if (!done)
        loop.exec();
    worker.Wait();
    dialog.hide();
    std::erase(running.dialogs, &dialog);

    // Windows that wanted to close meanwhile are asked again, once every build has ended.
    if (running.dialogs.empty()) {
        for (const QPointer<QWidget>& window : std::exchange(running.closeAfterwards, {})) {
            if (window)
                QMetaObject::invokeMethod(window, [window] { window->close(); }, Qt::QueuedConnection);
        }
    }
    return Outcome{std::move(result)};
}

} // namespace pellora::ui
