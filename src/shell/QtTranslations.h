#pragma once

#include "core/AppLanguage.h"

#include <QObject>
#include <QString>

#include <memory>

class ClipboardModel;
class QTranslator;

// Qt's own texts (the file dialog's "Look in", the standard buttons) in the interface language:
// Qt's translation of the language is installed while it is chosen and taken away for English,
// Qt's own language. A language without Qt's translation file leaves Qt's English in place.
class QtTranslations : public QObject {
    Q_OBJECT
public:
    explicit QtTranslations(ClipboardModel &model, QObject *parent = nullptr);
    ~QtTranslations() override;

    // Where Qt's translation files are looked for; the installed Qt's folder unless set.
    static QString folder();

    // Whether a translation of Qt's texts is installed right now.
    bool isInstalled() const { return m_translator != nullptr; }

private:
    void follow(AppLanguage language);

    ClipboardModel &m_model;
    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<QTranslator> m_buttons;
};
