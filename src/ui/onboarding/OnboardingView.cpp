#include "ui/onboarding/OnboardingView.h"

#include "core/L10n.h"
#include "engine/PanelModelLink.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QString modeButtonName(ClipboardPresentationMode mode)
{
    return QStringLiteral("presentationMode-") + rawValue(mode);
}

// The notch keeps its own name in every language.
QString modeTitle(ClipboardPresentationMode mode)
{
    return mode == ClipboardPresentationMode::MenuBar ? L10n::text(QStringLiteral("Ponuka v lište"))
                                                      : QStringLiteral("Notch");
}

} // namespace

OnboardingView::OnboardingView(PanelModelLink &model, std::function<void()> openAccessibility,
                               std::function<void()> openInputMonitoring,
                               std::function<void()> chooseScreenshotFolder, Finish finish, QWidget *parent)
    : QWidget(parent)
    , m_finish(std::move(finish))
    , m_selectedMode(model.savedPresentationMode())
{
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(
        L10n::text(QStringLiteral("Sprievodca prvým spustením ešte nie je hotový: zatiaľ má len svoje tlačidlá.")), this);
    title->setWordWrap(true);
    layout->addWidget(title);

    const auto addAction = [&](const QString &name, const QString &title, std::function<void()> action) {
        auto *button = new QPushButton(title, this);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, [action] {
            if (action)
                action();
        });
        layout->addWidget(button);
    };
    addAction(QStringLiteral("openAccessibility"), L10n::text(QStringLiteral("Prístupnosť")), std::move(openAccessibility));
    addAction(QStringLiteral("openInputMonitoring"), L10n::text(QStringLiteral("Monitorovanie vstupu")),
              std::move(openInputMonitoring));
    addAction(QStringLiteral("chooseScreenshotFolder"), L10n::text(QStringLiteral("Priečinok so snímkami obrazovky")),
              std::move(chooseScreenshotFolder));

    for (ClipboardPresentationMode mode : allCases<ClipboardPresentationMode>()) {
        auto *button = new QRadioButton(modeTitle(mode), this);
        button->setObjectName(modeButtonName(mode));
        button->setChecked(mode == m_selectedMode);
        connect(button, &QRadioButton::toggled, this, [this, mode](bool checked) {
            if (checked)
                m_selectedMode = mode;
        });
        m_modeButtons.append(button);
        layout->addWidget(button);
    }
    auto *done = new QPushButton(L10n::text(QStringLiteral("Začať používať")), this);
    done->setObjectName(QStringLiteral("finish"));
    connect(done, &QPushButton::clicked, this, &OnboardingView::complete);
    layout->addWidget(done);
    layout->addStretch();
}

void OnboardingView::selectMode(ClipboardPresentationMode mode)
{
    for (QRadioButton *button : m_modeButtons)
        button->setChecked(button->objectName() == modeButtonName(mode));
}

void OnboardingView::complete()
{
    if (m_finish)
        m_finish(true, m_selectedMode);
}
