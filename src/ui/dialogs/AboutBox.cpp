#include "ui/dialogs/AboutBox.h"

#include "core/model/ViewMode.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/ProductArt.h"

#include <QApplication>
#include <QFontMetrics>
#include <QScreen>

#include <algorithm>

namespace pellora::ui {

namespace {

constexpr int kEdge = 2;          // width of a sunken edge
constexpr int kClientHeight = 88;
constexpr int kTextLeft = 64;
constexpr int kIconSide = 32;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 22;
constexpr int kVersionHeight = 18;

int textWidth(const QLabel& label)
{
    const QFontMetrics metrics(label.font());
    int widest = 0;
    for (const QString& line : QString(label.text()).remove(QChar('\r')).split(QChar('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_icon(this)
    , m_version(this)
    , m_copyright(this)
    , m_ok(this)
{
    SetControlId(this, IDD_ABOUTBOX);
    SetControlId(&m_icon, IDC_ABOUT_ICON);
    SetControlId(&m_version, IDC_ABOUT_VERSION);
    SetControlId(&m_copyright, IDC_ABOUT_COPYRIGHT);
    SetControlId(&m_ok, IDC_ABOUT_OK);

    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = ProductIcon();
    m_icon.setPixmap(icon.pixmap(kIconSide, kIconSide));
    m_version.setTextFormat(Qt::PlainText);
    m_copyright.setTextFormat(Qt::PlainText);
    m_version.setObjectName(QStringLiteral("version"));
    m_copyright.setObjectName(QStringLiteral("copyright"));
    m_ok.setObjectName(QStringLiteral("ok"));
    m_ok.setDefault(true);
    connect(&m_ok, &QPushButton::clicked, this, &QDialog::accept);
    Retext();
}

void CAboutDlg::Retext()
{
    setWindowTitle(ItemText(kAboutBoxSection, 0));
    ApplyDialogTexts(this, kAboutBoxSection);
    placeControls();
}

QSize CAboutDlg::ClientSizeFor(int versionTextWidth, int copyrightTextWidth)
{
    const int forCopyright = copyrightTextWidth + 2 * kEdge + kTextLeft;
    // The version text runs from 64 to 104 before the right edge, where the OK button begins.
    const int forVersion = versionTextWidth + kTextLeft + kButtonWidth + 16;
    return {std::max(forCopyright, forVersion), kClientHeight};
}

void CAboutDlg::placeControls()
{
    const QSize client = ClientSizeFor(textWidth(m_version), textWidth(m_copyright));
    const int w = client.width();
    const int h = client.height();
    setFixedSize(client);

    m_icon.setGeometry(16, h / 2 - kIconSide / 2, kIconSide, kIconSide);
    m_version.setGeometry(kTextLeft, h / 3 - 9, w - 168, kVersionHeight);
    const QStringList lines = QString(m_copyright.text()).remove(QChar('\r')).split(QChar('\n'));
    const int copyrightHeight = QFontMetrics(m_copyright.font()).height() * static_cast<int>(lines.size());
    m_copyright.setGeometry(kTextLeft, 2 * h / 3 - 9, textWidth(m_copyright), copyrightHeight);
    m_ok.setGeometry(w - 104, h / 3 - 11, kButtonWidth, kButtonHeight);

    // Centred on the owner, else on the screen. Client rectangles are centred: the window frames are
    // not known before the box is shown, and they add the same on both sides.
    QRect place(QPoint(0, 0), client);
    if (const QWidget* owner = parentWidget(); owner != nullptr && owner->isVisible())
        place.moveCenter(owner->window()->geometry().center());
    else if (const QScreen* screen = QApplication::primaryScreen())
        place.moveCenter(screen->availableGeometry().center());
    setGeometry(place);
}

void ShowAboutBox(QWidget* parent)
{
    if (IsViewMode())
        return;
    CAboutDlg box(parent);
    box.exec();
}

} // namespace pellora::ui
