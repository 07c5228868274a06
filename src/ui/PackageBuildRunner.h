#pragma once

// Builds a document's package on a worker thread while a progress dialog shows the files and megabytes
// done and offers to cancel; the rest of the program waits for the build but keeps drawing.

#include "core/model/Corvan2Doc.h"

#include <QProgressDialog>

#include <filesystem>
#include <functional>

namespace pellora::ui {

// The progress dialog: closing it or pressing Escape asks to cancel, it never just goes away.
class BuildProgressDialog : public QProgressDialog {
    Q_OBJECT

public:
    static constexpr char kObjectName[] = "BuildProgressDialog";
    static constexpr int kSteps = 1000;

    explicit BuildProgressDialog(QWidget* owner);

    // Shows the numbers of a progress report.
    void ShowProgress(const BuildProgress& progress);
    // The user asked to cancel; the dialog stays until the build has ended.
    void ShowCancelling();
    bool CancelRequested() const { return m_cancelRequested; }

    // The label text of a progress report.
    static QString ProgressText(const BuildProgress& progress);

signals:
    void cancelRequested();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void requestCancel();

    bool m_cancelRequested = false;
};

class PackageBuildRunner {
public:
    struct Outcome {
        DocumentResult result;
        bool cancelled = false; // the user cancelled: nothing was written, and there is nothing to tell
    };

    // environment: the program folder, runtime files and stub of the build; its progress callback is
    // the runner's own while a build runs.
    PackageBuildRunner(CCorvan2Doc& document, BuildEnvironment environment);

    // Saves the document to output (a ".exe" path, which builds the package) on a worker thread, with
    // the progress dialog shown over owner; returns when the build has ended. The document must not be
    // changed meanwhile: the dialog is application-modal.
    Outcome Run(QWidget* owner, const std::filesystem::path& output);

    // Hears each progress report on the worker thread before the dialog does (for tests).
    using ProgressObserver = std::function<void(const BuildProgress&)>;
    void SetProgressObserver(ProgressObserver observer) { m_observer = std::move(observer); }

private:
    CCorvan2Doc& m_document;
    BuildEnvironment m_environment;
    ProgressObserver m_observer;
};

} // namespace pellora::ui
