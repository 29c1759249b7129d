#include "shell/QtTranslations.h"

#include "core/Logging.h"
#include "engine/ClipboardModel.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Qt asks for the standard buttons' texts ("Cancel", "Save") under QPlatformTheme, while the
// translation files of several languages still hold them under QDialogButtonBox, where older
// Qt looked: those are answered from there.
class StandardButtonTexts : public QTranslator {
public:
    explicit StandardButtonTexts(const QTranslator &qt) : m_qt(qt) {}

    QString translate(const char *context, const char *sourceText, const char *disambiguation, int n) const override
    {
        if (qstrcmp(context, "QPlatformTheme") != 0)
            return {};
        return m_qt.translate("QDialogButtonBox", sourceText, disambiguation, n);
    }
    bool isEmpty() const override { return false; }

private:
    const QTranslator &m_qt;
};

} // namespace

QtTranslations::QtTranslations(ClipboardModel &model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    connect(&m_model, &ClipboardModel::languageChanged, this, [this] { follow(m_model.language()); });
    follow(m_model.language());
}

QtTranslations::~QtTranslations()
{
    follow(AppLanguage::En);
}

QString QtTranslations::folder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

void QtTranslations::follow(AppLanguage language)
{
    if (m_translator) {
        QCoreApplication::removeTranslator(m_buttons.get());
        QCoreApplication::removeTranslator(m_translator.get());
        m_buttons.reset();
        m_translator.reset();
    }
    if (language == AppLanguage::En)
        return;
    auto translator = std::make_unique<QTranslator>();
    // "qt" names the base module's file and those of the other modules installed with it.
    if (!translator->load(QLocale(QLocale::Slovak), QStringLiteral("qt"), QStringLiteral("_"), folder())) {
        qCWarning(lcShell) << "Qt's own Slovak texts are not installed in" << folder() << "- its dialogs stay English";
        return;
    }
    // Installed first, asked last: the file's own answer wins where it has one.
    m_buttons = std::make_unique<StandardButtonTexts>(*translator);
    QCoreApplication::installTranslator(m_buttons.get());
    QCoreApplication::installTranslator(translator.get());
    m_translator = std::move(translator);
}
