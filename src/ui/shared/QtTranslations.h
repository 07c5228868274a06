#pragma once

// Qt's own texts (standard buttons, file dialogs, context menus of text fields) in the program's language.

#include <QPointer>
#include <QString>
#include <QTranslator>

#include <cstdint>

namespace pellora::ui {

class QtTranslations {
public:
    // folder holds the catalogues qtbase_XX.qm; by default Qt's own translations folder. The translator
    // in use is a child of the application object.
    explicit QtTranslations(QString folder = DefaultFolder());
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // Replaces the translation in use by the one of a string-table language. False when the language
    // has none here (the neutral table, or no catalogue installed): Qt's own English texts show then.
    bool Follow(std::uint16_t language);

    // The catalogue's locale of a string-table language ("de", "pt_BR"); empty for the neutral table
    // and languages without one.
    static QString LocaleName(std::uint16_t language);
    static QString DefaultFolder();

private:
    void removeCurrent();

    QString m_folder;
    QPointer<QTranslator> m_current;
};

} // namespace pellora::ui
