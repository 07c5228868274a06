#include "ui/shared/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include <array>
#include <string_view>
#include <utility>

namespace pellora::ui {

namespace {

struct Catalogue {
    std::uint16_t language;
    std::string_view locale;
};

// The languages of the string tables besides the neutral one; 0x0416 is Brazilian Portuguese.
constexpr std::array<Catalogue, 7> kCatalogues{{
    {0x0407, "de"}, {0x040A, "es"}, {0x040C, "fr"}, {0x0410, "it"},
    {0x0411, "ja"}, {0x0413, "nl"}, {0x0416, "pt_BR"},
}};

} // namespace

QtTranslations::QtTranslations(QString folder)
    : m_folder(std::move(folder))
{
}

QtTranslations::~QtTranslations()
{
    removeCurrent();
}

QString QtTranslations::DefaultFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

QString QtTranslations::LocaleName(std::uint16_t language)
{
    for (const Catalogue& catalogue : kCatalogues) {
        if (catalogue.language == language)
            return QString::fromLatin1(catalogue.locale.data(), static_cast<qsizetype>(catalogue.locale.size()));
    }
    return {};
}

bool QtTranslations::Follow(std::uint16_t language)
{
    QCoreApplication* application = QCoreApplication::instance();
    const QString locale = LocaleName(language);
    if (application == nullptr || locale.isEmpty()) {
        removeCurrent();
        return false;
    }
    auto* translator = new QTranslator(application);
    if (!translator->load(QStringLiteral("qtbase_") + locale, m_folder)) {
        delete translator;
        removeCurrent();
        return false;
    }
    removeCurrent();
    QCoreApplication::installTranslator(translator);
    m_current = translator;
    return true;
}

void QtTranslations::removeCurrent()
{
    if (m_current.isNull())
        return;
    QCoreApplication::removeTranslator(m_current);
    delete m_current.data();
    m_current.clear();
}

} // namespace pellora::ui
