#pragma once

// Builds a document's package on a worker thread while a progress dialog shows the files and megabytes
// done and offers to cancel; the rest of the program waits for the build but keeps drawing.

#include "core/document/Corvan2Doc.h"
#include "core/document/DocumentResult.h"

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
        DocumentResult result; // cancelled by the user: nothing was written, and there is nothing to tell
        bool cancelled() const { return result.status.cancelled(); }
        // What the status bar tells after a build that succeeded; empty when there is nothing to tell.
        QString Notice() const;
        // What the message of a failed build shows below its text: the name refused and why, or the
        // signing tool's words; empty when there is nothing more to say.
        QString FailureDetail() const;

    private:
        QString failureLines() const;
    };

    explicit PackageBuildRunner(CCorvan2Doc& document);

    // Builds the document's package at output on a worker thread from a copy of the project taken now,
    // with the progress dialog shown over owner, signed as signing says; returns when the build has
    // ended. The worker never touches the document, and the build leaves its modified flag as it was:
    // the project file itself was not written.
    Outcome Run(QWidget* owner, const std::filesystem::path& output, const SigningSettings& signing = {});

    // Hears each progress report on the worker thread before the dialog does (for tests).
    using ProgressObserver = std::function<void(const BuildProgress&)>;
    void SetProgressObserver(ProgressObserver observer) { m_observer = std::move(observer); }

    // Whether a build runs now.
    static bool AnyRunning();
    // A window that must not close while a build runs: the running builds are cancelled and the window
    // is asked to close again once the last of them has ended. False when no build runs.
    static bool DeferClose(QWidget* window);

private:
    CCorvan2Doc& m_document;
    ProgressObserver m_observer;
};

} // namespace pellora::ui
