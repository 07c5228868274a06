#include "ui/project/Tab_ScriptInfo.h"

#include "core/model/ViewMode.h"
#include "core/script/ScriptFile.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/project/Tab_ScriptInfoIds.h"
#include "ui/shared/TabHost.h"

#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

namespace pellora::ui {

using namespace scriptinfo;

namespace {

// Height of a row of controls.
constexpr int v = 22;

} // namespace

CTab_ScriptInfo::CTab_ScriptInfo(TabHost& host, QWidget* parent)
    : CTab(host, IDD_TAB_SCRIPTINFO, "IDD_TAB_SCRIPTINFO", parent)
{
    buildControls();
    buildLayout();
    SetTextLimit(m_description, kMaxDescriptionBytes);
    SetTextLimit(m_logFile, kMaxLogFileBytes);
    Initialise();
    SetMarksModified(true);
}

void CTab_ScriptInfo::buildControls()
{
    m_descriptionLabel = AddControl<QLabel>(IDC_DESCRIPTION_LABEL);
    m_description = AddControl<QLineEdit>(IDC_DESCRIPTION);
    m_descriptionLabel->setBuddy(m_description);
    m_logFileLabel = AddControl<QLabel>(IDC_LOG_FILE_LABEL);
    m_logFile = AddControl<QLineEdit>(IDC_LOG_FILE);
    m_logFileLabel->setBuddy(m_logFile);
    m_browseLogFile = AddControl<QToolButton>(IDC_BROWSE_LOG_FILE);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_browseLogFile->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_browseLogFile->setIconSize(QSize(iconSize, iconSize));
    m_browseLogFile->setToolButtonStyle(Qt::ToolButtonIconOnly);

    connect(m_description, &QLineEdit::textEdited, this, &CTab_ScriptInfo::onDescriptionEdited);
    connect(m_logFile, &QLineEdit::textEdited, this, &CTab_ScriptInfo::onLogFileEdited);
    connect(m_browseLogFile, &QToolButton::clicked, this, &CTab_ScriptInfo::onBrowseLogFile);
}

void CTab_ScriptInfo::buildLayout()
{
    LayoutTable& rules = LayoutRules();
    rules.SetRule(IDC_DESCRIPTION_LABEL, 12, 12, "20%", v);
    rules.SetRule(IDC_DESCRIPTION, "20%+12", 12, "80%-46", v);
    rules.SetRule(IDC_LOG_FILE_LABEL, 12, 38, "20%", v);
    rules.SetRule(IDC_LOG_FILE, "20%+12", 38, "80%-46", v);
    rules.SetRule(IDC_BROWSE_LOG_FILE, "100%-34", 36, 22, 22);
}

bool CTab_ScriptInfo::ReadControls()
{
    const bool descriptionFits = ReadText(m_description, m_values.description);
    const bool logFileFits = ReadText(m_logFile, m_values.logFile);
    return descriptionFits && logFileFits;
}

void CTab_ScriptInfo::WriteControls()
{
    ShowText(m_description, m_values.description);
    ShowText(m_logFile, m_values.logFile);
}

void CTab_ScriptInfo::UpdateControls()
{
    if (const CScriptFile* script = Host().HostScript()) {
        m_values.description = script->scriptNote;
        m_values.logFile = script->logFile;
    } else {
        m_values = {};
    }
    WriteControls();
    const bool on = !IsViewMode() && Host().HostScript() != nullptr;
    for (QWidget* control : {static_cast<QWidget*>(m_descriptionLabel), static_cast<QWidget*>(m_description),
                             static_cast<QWidget*>(m_logFileLabel), static_cast<QWidget*>(m_logFile),
                             static_cast<QWidget*>(m_browseLogFile)})
        control->setEnabled(on);
}

bool CTab_ScriptInfo::beginScriptEdit()
{
    return MarksModified() && BeginEdit(false);
}

void CTab_ScriptInfo::storeValues()
{
    if (CScriptFile* script = Host().HostScript()) {
        script->scriptNote = m_values.description;
        script->logFile = m_values.logFile;
    }
    WriteControls();
    EndEdit();
}

void CTab_ScriptInfo::onDescriptionEdited()
{
    if (beginScriptEdit())
        storeValues();
}

void CTab_ScriptInfo::onLogFileEdited()
{
    if (beginScriptEdit())
        storeValues();
}

void CTab_ScriptInfo::onBrowseLogFile()
{
    if (!MarksModified() || !EditAllowed(false))
        return;
    const QString current = m_logFile->text();
    const QString path = ChooseOpenFile(this, m_browseLogFile->text(),
                                        current.isEmpty() ? QString::fromLatin1(kDefaultLogFileName) : current,
                                        {AllFilesFilter()}, false);
    if (path.isEmpty())
        return;
    m_logFile->setText(path);
    onLogFileEdited();
}

} // namespace pellora::ui
