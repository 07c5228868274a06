#include "ui/frame/LogoBar.h"

#include "ui/frame/CommandTable.h"
#include "ui/frame/MainFrameIds.h"
#include "ui/shared/ControlId.h"

#include <QFile>
#include <QImageReader>
#include <QLayout>
#include <QPainter>

namespace pellora::ui {

namespace {
// Pictures beyond this size are not taken: the file comes from outside.
constexpr int kMaxPictureSide = 4096;
} // namespace

CLogoButton::CLogoButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    SetControlId(this, ID_LOGO);
}

void CLogoButton::SetPicture(const QPixmap& picture)
{
    m_picture = picture;
    updateGeometry();
    update();
}

QSize CLogoButton::sizeHint() const
{
    return {m_picture.width(), m_picture.height() + CLogoBar::kExtraHeight};
}

QSize CLogoButton::minimumSizeHint() const
{
    return {0, m_picture.height() + CLogoBar::kExtraHeight};
}

void CLogoButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (m_picture.isNull())
        return;
    const int shift = isDown() ? 1 : 0;
    const int top = (height() - m_picture.height()) / 2 + shift;
    painter.drawPixmap(shift, top, m_picture);
}

CLogoBar::CLogoBar(QWidget* parent)
    : QToolBar(parent)
    , m_button(new CLogoButton(this))
{
    setObjectName(QStringLiteral("LogoBar"));
    SetControlId(this, IDW_LOGO_BAR);
    setMovable(false);
    setFloatable(false);
    setAllowedAreas(Qt::TopToolBarArea);
    setContentsMargins(0, 0, 0, 0);
    layout()->setContentsMargins(0, 0, 0, 0);
    layout()->setSpacing(0);
    QAction* action = addWidget(m_button);
    CommandTable::SetCommandId(action, ID_LOGO);
    connect(m_button, &QAbstractButton::clicked, this, &CLogoBar::logoClicked);
}

bool CLogoBar::LoadPicture(const std::filesystem::path& file)
{
    QImageReader reader(QFile::decodeName(file.c_str()));
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) {
        m_button->SetPicture({});
        return false;
    }
    const QImage image = reader.read();
    m_button->SetPicture(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
    return !image.isNull();
}

} // namespace pellora::ui
