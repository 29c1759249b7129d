#include "ui/library/LibraryFooter.h"

#include "core/AppShortcut.h"
#include "core/L10n.h"
#include "core/ShortcutNotice.h"
#include "engine/ClipboardModel.h"
#include "ui/library/SnippetsScreen.h"
#include "ui/panel/PanelSheets.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QHBoxLayout>
#include <QPainter>

namespace {

// The capsule of the tip's shortcut: never wider than the room it gets, cut in the middle.
class ShortcutCapsule : public QWidget {
public:
    explicit ShortcutCapsule(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    void setText(const QString &text)
    {
        if (text == m_text)
            return;
        m_text = text;
        setToolTip(text);
        setAccessibleName(text);
        updateGeometry();
        update();
    }
    QString text() const { return m_text; }
    QSize sizeHint() const override
    {
        return {PanelText::width(font(), m_text) + 2 * LibraryFooter::kShortcutPadding, LibraryFooter::kShortcutHeight};
    }
    QSize minimumSizeHint() const override { return {2 * LibraryFooter::kShortcutPadding + 24, LibraryFooter::kShortcutHeight}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const PanelStyle::Colors &colors = PanelStyle::colors(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF capsule(0, 0, width(), height());
        PanelStyle::fillRounded(painter, capsule, capsule.height() / 2, colors.controlSurface);
        const QFont face = PanelStyle::font(LibraryFooter::kShortcutSize, QFont::Medium);
        const QRectF room = capsule.adjusted(LibraryFooter::kShortcutPadding, 0, -LibraryFooter::kShortcutPadding, 0);
        painter.setFont(face);
        painter.setPen(colors.secondary);
        painter.drawText(room, Qt::AlignCenter, QFontMetrics(face).elidedText(m_text, Qt::ElideMiddle, int(room.width())));
    }

private:
    QString m_text;
};

// The tip: one line in the muted colour, cut at the end when room is short. A notice in its
// place is read whole: it wraps over the footer's height, in the text colour.
class FooterTip : public QWidget {
public:
    explicit FooterTip(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    void setText(const QString &text, bool isNotice)
    {
        m_text = text;
        m_isNotice = isNotice;
        setAccessibleName(text);
        setToolTip(isNotice ? text : QString());
        updateGeometry();
        update();
    }
    QString text() const { return m_text; }
    QSize sizeHint() const override
    {
        const QFont face = PanelStyle::font(LibraryFooter::kTipSize);
        const int lines = m_isNotice ? LibraryFooter::kNoticeLines : 1;
        return {PanelText::width(face, m_text), lines * PanelText::lineHeight(face)};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QFont face = PanelStyle::font(LibraryFooter::kTipSize);
        if (!m_isNotice) {
            painter.setPen(PanelStyle::colors(this).muted);
            PanelText::drawElided(painter, rect(), face, m_text);
            return;
        }
        painter.setPen(PanelStyle::colors(this).primary);
        painter.setFont(face);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, m_text);
    }

private:
    QString m_text;
    bool m_isNotice = false;
};

bool tabPastesSelection(ClipboardPanelTab tab)
{
    return tab != ClipboardPanelTab::PasteStack && tab != ClipboardPanelTab::Snippets;
}

} // namespace

LibraryFooter::LibraryFooter(ClipboardModel &model, PanelSheets &sheets, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_sheets(sheets)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kTipSpacing);
    m_tip = new FooterTip(this);
    auto *capsule = new ShortcutCapsule(this);
    capsule->setFont(PanelStyle::font(kShortcutSize, QFont::Medium));
    capsule->setObjectName(QStringLiteral("footerShortcut"));
    m_shortcut = capsule;
    m_action = new PanelButton(QString(), true, kButtonHeight, kButtonPadding, this);
    // The label has the 100-point frame; the button adds its padding on both sides.
    m_action->setFixedWidth(kButtonWidth + 2 * kButtonPadding);
    m_action->setObjectName(QStringLiteral("footerAction"));
    // The tip gives way first when room is short; the shortcut keeps what it can.
    row->addWidget(m_tip, 1);
    row->addWidget(m_shortcut, 0);
    row->addStretch(0);
    row->addWidget(m_action);
    connect(m_action, &QAbstractButton::clicked, this, &LibraryFooter::performAction);

    // Queued: the footer follows the model after the call that changed it has returned, so a
    // paste in progress never re-enters the footer.
    for (auto signal : {&ClipboardModel::selectedTabChanged, &ClipboardModel::entriesChanged,
                        &ClipboardModel::searchTextChanged, &ClipboardModel::pasteStackEntryIDsChanged,
                        &ClipboardModel::snippetsChanged, &ClipboardModel::selectedQuickAccessSnippetIDChanged,
                        &ClipboardModel::selectedJarIDChanged, &ClipboardModel::jarsChanged,
                        &ClipboardModel::accessibilityPermissionEnabledChanged,
                        &ClipboardModel::consumedEntryIDsChanged, &ClipboardModel::currentContextChanged,
                        &ClipboardModel::shortcutNoticeChanged})
        connect(&model, signal, this, &LibraryFooter::refresh, Qt::QueuedConnection);
    refresh();
}

std::optional<ClipboardSnippet> LibraryFooter::footerSnippet(const ClipboardModel &model)
{
    const QList<ClipboardSnippet> listed = SnippetsScreen::filteredSnippets(model);
    if (listed.isEmpty())
        return std::nullopt;
    if (const std::optional<QString> selected = model.selectedQuickAccessSnippetID()) {
        for (const ClipboardSnippet &snippet : listed) {
            if (snippet.id == *selected)
                return snippet;
        }
    }
    return listed.first();
}

LibraryFooter::Content LibraryFooter::content(const ClipboardModel &model)
{
    const QString quickAccess = L10n::text(QStringLiteral("Rýchly prístup"));
    const QString paste = L10n::text(QStringLiteral("Vložiť"));
    const QString pasteSymbol = QStringLiteral("arrow.down.to.line");
    const QString pasteAsKeys = AppShortcut(AppShortcut::pasteAs).label();
    Content content{quickAccess, pasteAsKeys, paste, pasteSymbol, false};
    // Why the last paste went nowhere, in place of the tip, until one goes out.
    std::optional<QString> notice = model.shortcutNotice();
    if (notice && !ShortcutNotice::isPasteNotSent(*notice))
        notice.reset();
    if (notice) {
        content.tip = L10n::text(*notice);
        content.tipIsNotice = true;
        content.shortcut.clear();
    }
    switch (model.selectedTab()) {
    case ClipboardPanelTab::PasteStack:
        if (!notice) {
            content.tip = L10n::text(QStringLiteral("Vkladať v poradí"));
            content.shortcut = AppShortcut(AppShortcut::pasteNextFromStack).label();
        }
        content.actionTitle = L10n::text(QStringLiteral("Vložiť ďalší"));
        content.actionDisabled = model.pasteStackEntries().isEmpty() || !model.accessibilityPermissionEnabled();
        return content;
    case ClipboardPanelTab::Snippets: {
        const std::optional<ClipboardSnippet> snippet = footerSnippet(model);
        if (snippet && !snippet->trigger.isEmpty() && !notice) {
            content.tip = L10n::text(QStringLiteral("Napíš skratku"));
            content.shortcut = snippet->trigger;
        }
        content.actionDisabled = !snippet;
        return content;
    }
    case ClipboardPanelTab::Jars:
        if (!model.selectedJar()) {
            content.actionTitle = L10n::text(QStringLiteral("Nový Jar"));
            content.actionSymbol = QStringLiteral("plus");
            return content;
        }
        break;
    default:
        break;
    }
    content.actionDisabled = model.quickAccessEntries().isEmpty();
    return content;
}

void LibraryFooter::performAction()
{
    const ClipboardPanelTab tab = m_model.selectedTab();
    if (tab == ClipboardPanelTab::PasteStack) {
        const QList<ClipboardEntry> stack = m_model.pasteStackEntries();
        if (!stack.isEmpty())
            m_model.pasteEntryFromPanel(stack.first(), false, std::nullopt, true);
        return;
    }
    if (tab == ClipboardPanelTab::Snippets) {
        if (const std::optional<ClipboardSnippet> snippet = footerSnippet(m_model))
            m_model.pasteText(snippet->text);
        return;
    }
    if (tab == ClipboardPanelTab::Jars && !m_model.selectedJar()) {
        m_sheets.editJar(std::nullopt);
        return;
    }
    Q_ASSERT(tabPastesSelection(tab));
    m_model.pasteSelectedEntry(m_model.quickAccessEntries());
}

QString LibraryFooter::tipText() const
{
    return static_cast<FooterTip *>(m_tip)->text();
}

QString LibraryFooter::shortcutText() const
{
    return static_cast<ShortcutCapsule *>(m_shortcut)->text();
}

void LibraryFooter::refresh()
{
    const Content now = content(m_model);
    static_cast<FooterTip *>(m_tip)->setText(now.tip, now.tipIsNotice);
    static_cast<ShortcutCapsule *>(m_shortcut)->setText(now.shortcut);
    // A notice or a snippet without a trigger has no shortcut to show: no empty capsule.
    m_shortcut->setVisible(!now.shortcut.isEmpty());
    m_action->setTitle(now.actionTitle);
    m_action->setSymbol(now.actionSymbol);
    m_action->setEnabled(!now.actionDisabled);
    m_action->setAccessibleName(now.actionTitle);
}
