#include "ui/onboarding/OnboardingView.h"

#include "shell/PanelModelLink.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

OnboardingView::OnboardingView(PanelModelLink &model, std::function<void()> openAccessibility,
                               std::function<void()> openInputMonitoring,
                               std::function<void()> chooseScreenshotFolder, Finish finish, QWidget *parent)
    : QWidget(parent)
    , m_finish(std::move(finish))
    , m_selectedMode(model.savedPresentationMode())
{
    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("Tarnel first-run guide (placeholder): the five steps are not built yet."), this);
    title->setWordWrap(true);
    layout->addWidget(title);

    const auto addAction = [&](const QString &name, std::function<void()> action) {
        auto *button = new QPushButton(name, this);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, [action] {
            if (action)
                action();
        });
        layout->addWidget(button);
    };
    addAction(QStringLiteral("openAccessibility"), std::move(openAccessibility));
    addAction(QStringLiteral("openInputMonitoring"), std::move(openInputMonitoring));
    addAction(QStringLiteral("chooseScreenshotFolder"), std::move(chooseScreenshotFolder));

    for (ClipboardPresentationMode mode : allCases<ClipboardPresentationMode>()) {
        auto *button = new QRadioButton(rawValue(mode), this);
        button->setObjectName(QStringLiteral("presentationMode-") + rawValue(mode));
        button->setChecked(mode == m_selectedMode);
        connect(button, &QRadioButton::toggled, this, [this, mode](bool checked) {
            if (checked)
                m_selectedMode = mode;
        });
        m_modeButtons.append(button);
        layout->addWidget(button);
    }
    auto *done = new QPushButton(QStringLiteral("finish"), this);
    done->setObjectName(QStringLiteral("finish"));
    connect(done, &QPushButton::clicked, this, &OnboardingView::complete);
    layout->addWidget(done);
    layout->addStretch();
}

void OnboardingView::selectMode(ClipboardPresentationMode mode)
{
    for (QRadioButton *button : m_modeButtons)
        button->setChecked(button->text() == rawValue(mode));
}

void OnboardingView::complete()
{
    if (m_finish)
        m_finish(true, m_selectedMode);
}
