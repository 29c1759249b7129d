#include "ui/panel/EntryActionsMenu.h"

#include "core/ClipboardColor.h"
#include "core/ClipboardTransform.h"
#include "core/FormattedText.h"
#include "core/L10n.h"
#include "core/StoredFilePath.h"
#include "engine/ClipboardModel.h"
#include "ui/panel/MenuActionRow.h"
#include "ui/panel/MenuBackButton.h"
#include "ui/style/KindPresentation.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QCloseEvent>
#include <QResizeEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kHeaderSidePadding = 7;
constexpr int kHeaderVerticalPadding = 10;
constexpr int kHeaderSpacing = 10;
constexpr int kTileSide = 33;
constexpr qreal kTileRadius = 9;
constexpr qreal kTileSymbolSize = 14;
constexpr qreal kTileOpacity = 0.08;
constexpr qreal kTitleSize = 12;
constexpr qreal kSubtitleSize = 10;
constexpr int kTitleSpacing = 4;
constexpr int kDividerInset = 6;
constexpr int kRowSpacing = 2;
constexpr int kMainBottomPadding = 3;
constexpr qreal kSectionSize = 9;
constexpr int kSectionInset = 9;
constexpr int kSectionSpacing = 8;
constexpr int kSectionTop = 4;
constexpr int kSectionBottom = 3;
constexpr int kJarEmptyHeight = 145;
constexpr int kJarEmptySpacing = 8;

constexpr int headerHeight() { return kTileSide + 2 * kHeaderVerticalPadding; }

QString pageTitle(EntryActionsMenu::Page page)
{
    switch (page) {
    case EntryActionsMenu::Page::Main:
        return QStringLiteral("Akcie položky");
    case EntryActionsMenu::Page::Transform:
        return QStringLiteral("Upraviť a vložiť");
    case EntryActionsMenu::Page::Color:
        return QStringLiteral("Formát farby");
    case EntryActionsMenu::Page::Jars:
        return QStringLiteral("Jars");
    }
    return {};
}

// "Vložiť %@" and the like: the format in the interface language with its one argument; any
// other "%" of the translation stands as written.
QString formatted(const QString &slovakFormat, const QString &argument)
{
    return FormattedText::substitute(L10n::text(slovakFormat), {argument});
}

// A section heading: a divider line over a small muted title.
class SectionLabel : public QWidget
{
public:
    explicit SectionLabel(QString title, QWidget *parent) : QWidget(parent), m_title(std::move(title))
    {
        setFixedHeight(kSectionTop + 1 + kSectionSpacing + PanelText::lineHeight(font()) + kSectionBottom);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const PanelStyle::Colors &colors = PanelStyle::colors(this);
        painter.fillRect(QRect(kDividerInset, kSectionTop, width() - 2 * kDividerInset, 1), colors.divider);
        painter.setPen(colors.muted);
        const QRectF text(kSectionInset, kSectionTop + 1 + kSectionSpacing, width() - 2 * kSectionInset,
                          PanelText::lineHeight(font()));
        PanelText::drawElided(painter, text, font(), m_title);
    }

    QFont font() const { return PanelStyle::font(kSectionSize, QFont::Medium); }

private:
    QString m_title;
};

QScrollArea *scrolling(QWidget *content, int height, bool indicators, QWidget *parent)
{
    auto *area = new QScrollArea(parent);
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(indicators ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    area->setFixedHeight(height);
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

} // namespace

EntryActionsMenu *EntryActionsMenu::create(ClipboardModel &model, const QString &entryID, QWidget *parent)
{
    for (const ClipboardEntry &entry : model.entries()) {
        if (entry.id == entryID)
            return new EntryActionsMenu(model, entry, parent);
    }
    return nullptr;
}

QPoint EntryActionsMenu::placement(const QSize &menu, const QRect &anchor, const QRect &screen)
{
    int x = anchor.right() + 1 + kAnchorGap;
    if (x + menu.width() > screen.right() + 1 && anchor.left() - kAnchorGap - menu.width() >= screen.left())
        x = anchor.left() - kAnchorGap - menu.width();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - menu.width()));
    const int centred = anchor.center().y() - menu.height() / 2;
    const int y = std::clamp(centred, screen.top(), std::max(screen.top(), screen.bottom() + 1 - menu.height()));
    return {x, y};
}

EntryActionsMenu *EntryActionsMenu::popUp(ClipboardModel &model, const QString &entryID, const QRect &globalAnchor)
{
    // The window closes on the menu's own request or a click elsewhere; closed tells of it once,
    // whichever way that happened.
    EntryActionsMenu *menu = create(model, entryID);
    if (!menu)
        return nullptr;
    connect(menu, &EntryActionsMenu::closeRequested, menu, [menu] { menu->QWidget::close(); });
    menu->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setAttribute(Qt::WA_TranslucentBackground, false);
    menu->m_anchor = globalAnchor;
    menu->adjustSize();
    menu->placeBesideAnchor();
    menu->show();
    return menu;
}

EntryActionsMenu::EntryActionsMenu(ClipboardModel &model, ClipboardEntry entry, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_entry(std::move(entry))
{
    setFixedWidth(kWidth);
    setFocusPolicy(Qt::StrongFocus);
    PanelStyle::applyScheme(this, PanelStyle::schemeFor(m_model.appearance()));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding + headerHeight() + 1, kPadding, kPadding);
    layout->setSpacing(0);
    rebuild();

    // The menu follows the model while open (pin state, Jars); rebuilt after the model's own call.
    const auto queue = [this] {
        if (m_rebuildQueued)
            return;
        m_rebuildQueued = true;
        QMetaObject::invokeMethod(this, [this] {
            m_rebuildQueued = false;
            rebuild();
        }, Qt::QueuedConnection);
    };
    connect(&m_model, &ClipboardModel::entriesChanged, this, queue, Qt::QueuedConnection);
    connect(&m_model, &ClipboardModel::jarsChanged, this, queue, Qt::QueuedConnection);
    connect(&m_model, &ClipboardModel::languageChanged, this, queue, Qt::QueuedConnection);
    connect(&m_model, &ClipboardModel::appearanceChanged, this, [this] {
        PanelStyle::applyScheme(this, PanelStyle::schemeFor(m_model.appearance()));
    }, Qt::QueuedConnection);
}

int EntryActionsMenu::scrollHeight(std::optional<int> visibleHeight)
{
    if (!visibleHeight)
        return kScrollHeightMaximum;
    const int h = *visibleHeight - kScreenReserve;
    return h < kScrollHeightMinimum ? kScrollHeightMinimum : std::min(h, kScrollHeightMaximum);
}

namespace {

int menuScrollHeight()
{
    const QPoint mouse = QCursor::pos();
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry().contains(mouse))
            return EntryActionsMenu::scrollHeight(screen->availableGeometry().height());
    }
    return EntryActionsMenu::scrollHeight(std::nullopt);
}

} // namespace

QString EntryActionsMenu::snippetName(const QString &preview)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, preview);
    for (int characters = 0; characters < kSnippetNameLength; ++characters) {
        if (finder.toNextBoundary() == -1)
            return preview;
    }
    return preview.left(finder.position());
}

bool EntryActionsMenu::isText() const
{
    return m_entry.kind != ClipboardKind::Image && m_entry.kind != ClipboardKind::File;
}

bool EntryActionsMenu::isPinned() const
{
    for (const ClipboardEntry &live : m_model.entries()) {
        if (live.id == m_entry.id)
            return live.isPinned;
    }
    return m_entry.isPinned;
}

void EntryActionsMenu::setPage(Page page)
{
    if (page == m_page)
        return;
    m_page = page;
    rebuild();
}

void EntryActionsMenu::finish()
{
    // Whoever hears of it may delete the menu: nothing of `this` is touched afterwards.
    Q_EMIT closeRequested();
}

void EntryActionsMenu::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}

QWidget *EntryActionsMenu::action(const QString &title, const QString &symbol, std::function<void()> perform,
                                  bool prominent, bool checked, std::optional<QString> detail)
{
    auto *row = new MenuActionRow({title, symbol, prominent, checked, std::move(detail), false});
    connect(row, &QAbstractButton::clicked, this, [this, perform = std::move(perform)] {
        const auto run = perform;
        finish();
        run();
    });
    return row;
}

QWidget *EntryActionsMenu::hostAction(const QString &title, const QString &symbol,
                                      void (EntryActionsMenu::*announce)())
{
    auto *row = new MenuActionRow({title, symbol, false, false, std::nullopt, false});
    connect(row, &QAbstractButton::clicked, this, [this, announce] {
        Q_EMIT(this->*announce)();
        finish();
    });
    return row;
}

QWidget *EntryActionsMenu::openAction(const QString &title, const QString &symbol, const QUrl &url)
{
    auto *row = new MenuActionRow({title, symbol, false, false, std::nullopt, false});
    connect(row, &QAbstractButton::clicked, this, [this, url] {
        if (isSignalConnected(QMetaMethod::fromSignal(&EntryActionsMenu::openUrlRequested))) {
            Q_EMIT openUrlRequested(url);
            finish();
            return;
        }
        finish();
        QDesktopServices::openUrl(url);
    });
    return row;
}

QWidget *EntryActionsMenu::disclosure(const QString &title, const QString &symbol, Page destination)
{
    auto *row = new MenuActionRow({title, symbol, false, false, std::nullopt, true});
    connect(row, &QAbstractButton::clicked, this, [this, destination] { setPage(destination); });
    return row;
}

QWidget *EntryActionsMenu::sectionLabel(const QString &title) { return new SectionLabel(title, nullptr); }

void EntryActionsMenu::rebuild()
{
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    if (m_content) {
        layout->removeWidget(m_content);
        m_content->hide();
        m_content->deleteLater();
    }
    for (QObject *child : children()) {
        if (auto *back = qobject_cast<MenuBackButton *>(child)) {
            back->hide();
            back->deleteLater();
        }
    }
    m_content = new QWidget(this);
    auto *page = new QVBoxLayout(m_content);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(kRowSpacing);
    switch (m_page) {
    case Page::Main:
        buildMainPage(page);
        break;
    case Page::Transform:
        buildTransformPage(page);
        break;
    case Page::Color:
        buildColorPage(page);
        break;
    case Page::Jars:
        buildJarsPage(page);
        break;
    }
    layout->addWidget(m_content);
    // A page built while the menu is on screen is shown only later by Qt; the layout counts
    // hidden widgets as empty, so the page must be shown before its height is taken.
    m_content->show();
    buildHeader();
    // The width is fixed and the rows wrap long titles: the height follows the page.
    layout->activate();
    setFixedHeight(layout->hasHeightForWidth() ? layout->heightForWidth(kWidth) : layout->sizeHint().height());
    update();
}

void EntryActionsMenu::buildHeader()
{
    if (m_page == Page::Main)
        return;
    auto *back = new MenuBackButton(QStringLiteral("chevron.left"), this);
    back->setToolTip(L10n::text(QStringLiteral("Späť na akcie")));
    back->setAccessibleName(back->toolTip());
    back->setGeometry(kPadding + kHeaderSidePadding, kPadding + (headerHeight() - MenuBackButton::kHeight) / 2,
                      MenuBackButton::kWidth, MenuBackButton::kHeight);
    connect(back, &QAbstractButton::clicked, this, [this] { setPage(Page::Main); });
    back->show();
}

void EntryActionsMenu::buildMainPage(QVBoxLayout *layout)
{
    ClipboardModel *model = &m_model;
    const ClipboardEntry entry = m_entry;
    layout->setContentsMargins(0, 0, 0, kMainBottomPadding);
    layout->addWidget(action(L10n::text(QStringLiteral("Vložiť")), QStringLiteral("arrow.turn.down.right"),
                             [model, entry] { model->pasteEntryFromPanel(entry, false, std::nullopt, false); }, true));
    if (isText()) {
        // The sheet opens first, then the menu goes.
        layout->addWidget(hostAction(L10n::text(QStringLiteral("Upraviť pred vložením")),
                                     QStringLiteral("square.and.pencil"), &EntryActionsMenu::editRequested));
        layout->addWidget(action(L10n::text(QStringLiteral("Vložiť čistý text")), QStringLiteral("text.alignleft"),
                                 [model, entry] { model->pasteText(entry.text); }));
    }
    layout->addWidget(sectionLabel(L10n::text(QStringLiteral("Usporiadať"))));
    const bool pinned = isPinned();
    layout->addWidget(action(L10n::text(pinned ? QStringLiteral("Odopnúť položku") : QStringLiteral("Pripnúť položku")),
                             pinned ? QStringLiteral("pin.slash") : QStringLiteral("pin"),
                             [model, entry] { model->togglePin(entry); }, false, pinned));
    layout->addWidget(disclosure(L10n::text(m_model.isInAnyJar(m_entry) ? QStringLiteral("Upraviť Jars")
                                                                          : QStringLiteral("Pridať do Jaru")),
                                 QStringLiteral("archivebox"), Page::Jars));
    if (isText()) {
        layout->addWidget(action(L10n::text(QStringLiteral("Uložiť ako skratku")), QStringLiteral("keyboard"),
                                 [model, entry] { model->addSnippet(entry, snippetName(entry.preview()), QString()); }));
    }
    layout->addWidget(sectionLabel(L10n::text(QStringLiteral("Nástroje"))));
    if (m_entry.kind == ClipboardKind::Image) {
        layout->addWidget(hostAction(L10n::text(QStringLiteral("Zobraziť náhľad")), QStringLiteral("eye"),
                                     &EntryActionsMenu::previewImageRequested));
        layout->addWidget(hostAction(L10n::text(QStringLiteral("Vytvoriť obrázok")), QStringLiteral("wand.and.stars"),
                                     &EntryActionsMenu::createImageRequested));
    }
    buildSpecificActions(layout);
    if (isText())
        layout->addWidget(disclosure(L10n::text(QStringLiteral("Upraviť a vložiť")), QStringLiteral("wand.and.stars"),
                                     Page::Transform));
}

void EntryActionsMenu::buildSpecificActions(QVBoxLayout *layout)
{
    ClipboardModel *model = &m_model;
    const ClipboardEntry entry = m_entry;
    switch (m_entry.kind) {
    case ClipboardKind::Email: {
        const QUrl mail(QStringLiteral("mailto:") + m_entry.text, QUrl::StrictMode);
        if (mail.isValid())
            layout->addWidget(openAction(L10n::text(QStringLiteral("Napísať email")), QStringLiteral("envelope"), mail));
        break;
    }
    case ClipboardKind::Url: {
        const QUrl url(m_entry.text, QUrl::StrictMode);
        if (!url.isValid() || url.isEmpty())
            break;
        const QString absolute = url.toString();
        const QString label = url.host().isEmpty() ? absolute : url.host();
        layout->addWidget(openAction(L10n::text(QStringLiteral("Otvoriť odkaz")), QStringLiteral("arrow.up.right.square"), url));
        layout->addWidget(action(L10n::text(QStringLiteral("Vložiť adresu")), QStringLiteral("link"),
                                 [model, absolute] { model->pasteText(absolute); }));
        layout->addWidget(action(L10n::text(QStringLiteral("Vložiť Markdown odkaz")), QStringLiteral("text.badge.plus"),
                                 [model, absolute, label] {
                                     model->pasteText(QStringLiteral("[%1](%2)").arg(label, absolute));
                                 }));
        break;
    }
    case ClipboardKind::File:
        if (!m_entry.fileURLs.isEmpty()) {
            const QUrl file = StoredFilePath::url(m_entry.fileURLs.first());
            layout->addWidget(openAction(L10n::text(QStringLiteral("Otvoriť súbor")), QStringLiteral("doc"), file));
        }
        break;
    case ClipboardKind::Color:
        layout->addWidget(disclosure(L10n::text(QStringLiteral("Formát farby")), QStringLiteral("paintpalette"),
                                     Page::Color));
        break;
    case ClipboardKind::Code:
        layout->addWidget(action(L10n::text(QStringLiteral("Vložiť názvy polí")), QStringLiteral("curlybraces"),
                                 [model, entry] { model->pasteJSONKeys(entry); }));
        break;
    default:
        break;
    }
}

void EntryActionsMenu::buildTransformPage(QVBoxLayout *layout)
{
    using T = ClipboardTransform;
    const std::vector<std::pair<QString, std::vector<T>>> groups = {
        {QStringLiteral("Veľkosť písmen"), {T::Uppercase, T::Lowercase, T::TitleCase, T::SentenceCase}},
        {QStringLiteral("Čistenie textu"), {T::Clean, T::Trim, T::RemoveSpaces, T::RemoveLineBreaks}},
        {QStringLiteral("Formát a kód"),
         {T::MarkdownPlain, T::HtmlPlain, T::UrlEncode, T::UrlDecode, T::JsonFormat, T::JsonMinify}},
    };
    auto *rows = new QWidget;
    auto *column = new QVBoxLayout(rows);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kRowSpacing);
    ClipboardModel *model = &m_model;
    const QString text = m_entry.text;
    for (const auto &[section, transforms] : groups) {
        column->addWidget(sectionLabel(L10n::text(section)));
        for (T transform : transforms)
            column->addWidget(action(ClipboardTransforms::title(transform), KindPresentation::transformSymbol(transform),
                                     [model, text, transform] {
                                         model->pasteText(ClipboardTransforms::apply(transform, text));
                                     }));
    }
    column->addStretch();
    layout->addWidget(scrolling(rows, std::min(menuScrollHeight(), kTransformPageHeight), true, m_content));
}

void EntryActionsMenu::buildColorPage(QVBoxLayout *layout)
{
    ClipboardModel *model = &m_model;
    for (ColorOutput output : {ColorOutput::Hex, ColorOutput::Rgb, ColorOutput::Hsl}) {
        const QString name = output == ColorOutput::Hex ? L10n::text(QStringLiteral("hex kód"))
                             : output == ColorOutput::Rgb ? QStringLiteral("rgb")
                                                          : QStringLiteral("hsl");
        const std::optional<QString> value = ClipboardColor::format(m_entry.text, output);
        layout->addWidget(action(formatted(QStringLiteral("Vložiť %@"), name), QStringLiteral("paintpalette"),
                                 [model, value] {
                                     if (value)
                                         model->pasteText(*value);
                                 },
                                 false, false, value));
    }
}

void EntryActionsMenu::buildJarsPage(QVBoxLayout *layout)
{
    ClipboardModel *model = &m_model;
    const auto create = [this] {
        return action(L10n::text(QStringLiteral("Vytvoriť Jar")), QStringLiteral("plus"),
                      [model = &m_model] { model->setSelectedTab(ClipboardPanelTab::Jars); });
    };
    const QList<ClipboardJar> &jars = m_model.jars();
    if (jars.isEmpty()) {
        layout->setSpacing(kJarEmptySpacing);
        auto *empty = new PanelEmptyState(QStringLiteral("archivebox"),
                                          L10n::text(QStringLiteral("Zatiaľ nemáš žiadny Jar")),
                                          L10n::text(QStringLiteral("Vytvor Jar a potom si sem môžeš uložiť túto položku.")));
        empty->setFixedHeight(kJarEmptyHeight);
        layout->addWidget(empty);
        layout->addWidget(create());
        return;
    }
    auto *rows = new QWidget;
    auto *column = new QVBoxLayout(rows);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kRowSpacing);
    const ClipboardEntry entry = m_entry;
    for (const ClipboardJar &jar : jars) {
        // Every id the Jar holds, those of entries since deleted from the history included.
        const qsizetype count = jar.entryIDs.size();
        const QString jarID = jar.id;
        column->addWidget(action(jar.name, QStringLiteral("archivebox"),
                                 [model, entry, jarID] { model->toggleEntry(entry, jarID); }, false,
                                 m_model.contains(m_entry, jar.id),
                                 formatted(QStringLiteral("Počet: %@"), QString::number(count))));
    }
    column->addWidget(create());
    column->addStretch();
    const int height = std::min(menuScrollHeight(), kJarRowHeight * int(jars.size()) + kJarPageExtra);
    layout->addWidget(scrolling(rows, height, false, m_content));
}

void EntryActionsMenu::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return QWidget::keyPressEvent(event);
    event->accept();
    if (m_page == Page::Main)
        finish();
    else
        setPage(Page::Main);
}

void EntryActionsMenu::placeBesideAnchor()
{
    if (!m_anchor)
        return;
    const QScreen *screen = QGuiApplication::screenAt(m_anchor->center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    move(screen ? placement(size(), *m_anchor, screen->availableGeometry()) : m_anchor->topRight());
}

void EntryActionsMenu::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeBesideAnchor();
}

void EntryActionsMenu::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    const PanelStyle::Scheme scheme = PanelStyle::schemeOf(this);
    PanelStyle::fillBackground(painter, rect(), scheme);

    const QRectF header(kPadding + kHeaderSidePadding, kPadding + kHeaderVerticalPadding,
                        width() - 2 * (kPadding + kHeaderSidePadding), kTileSide);
    const QRectF tile(header.left(), header.top(), kTileSide, kTileSide);
    if (m_page == Page::Main) {
        PanelStyle::fillRounded(painter, tile, kTileRadius, PanelStyle::withOpacity(colors.accent, kTileOpacity));
        PanelIcons::paint(painter, tile, KindPresentation::symbol(m_entry.kind), kTileSymbolSize, colors.accent);
    }
    const qreal leading = m_page == Page::Main ? kTileSide : MenuBackButton::kWidth;
    const QFont titleFont = PanelStyle::exactFont(kTitleSize, QFont::DemiBold);
    const QFont subtitleFont = PanelStyle::exactFont(kSubtitleSize);
    const qreal textLeft = header.left() + leading + kHeaderSpacing;
    const qreal textWidth = header.right() - textLeft;
    const qreal titleHeight = PanelText::lineHeight(titleFont);
    const qreal subtitleHeight = PanelText::lineHeight(subtitleFont);
    const qreal top = header.center().y() - (titleHeight + kTitleSpacing + subtitleHeight) / 2;
    const QString preview = m_entry.preview().replace(QLatin1Char('\n'), QLatin1Char(' '));
    QString title;
    QString subtitle;
    if (m_page == Page::Main) {
        title = QFontMetrics(titleFont).elidedText(preview, Qt::ElideMiddle, int(textWidth));
        subtitle = KindPresentation::displayName(m_entry.kind) + QStringLiteral(" · ") + m_entry.sourceAppLabel();
    } else {
        title = L10n::text(pageTitle(m_page));
        subtitle = preview;
    }
    painter.setPen(colors.primary);
    PanelText::drawElided(painter, QRectF(textLeft, top, textWidth, titleHeight), titleFont, title);
    painter.setPen(colors.secondary);
    PanelText::drawElided(painter, QRectF(textLeft, top + titleHeight + kTitleSpacing, textWidth, subtitleHeight),
                          subtitleFont, subtitle);
    painter.fillRect(QRectF(kPadding + kDividerInset, kPadding + headerHeight(),
                            width() - 2 * (kPadding + kDividerInset), 1),
                     colors.divider);
}
