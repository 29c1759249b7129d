// The panel's sheet host against the real model: every button of a sheet ends in its model call,
// each section clears only after confirmation, and the panel is held open while anything shows.

#include "engine/EngineTestSupport.h"
#include "shell/ClipboardModelPanelLink.h"
#include "support/FakePanelController.h"
#include "support/HeldThreadPool.h"
#include "support/ScopedLanguage.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/library/EntryList.h"
#include "ui/library/JarEditorSheet.h"
#include "ui/library/JarsScreen.h"
#include "ui/panel/ClearSectionAlert.h"
#include "ui/panel/EditTextSheet.h"
#include "ui/panel/EntryActionsMenu.h"
#include "ui/panel/MenuActionRow.h"
#include "ui/panel/PanelSheetHost.h"
#include "ui/panel/SheetTextBox.h"
#include "ui/panel/SnippetEditorSheet.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelField.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ImageCanvasComposerSheet.h"
#include "ui/tools/ImageCanvasPreview.h"
#include "ui/tools/ImagePreviewSheet.h"

#include "core/ClipboardImageStore.h"

#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QThreadPool>

#include <gtest/gtest.h>

using pastetest::textEntry;

namespace {

// The values a signal of one flag carried, in order.
QList<bool> told(const QSignalSpy &spy)
{
    QList<bool> values;
    for (const QList<QVariant> &arguments : spy)
        values.append(arguments.at(0).toBool());
    return values;
}

ClipboardEntry ofKind(const QString &id, ClipboardKind kind, const QString &text = QString())
{
    ClipboardEntry entry = textEntry(id, text);
    entry.kind = kind;
    return entry;
}

void typeInto(QWidget *target, const QString &text, bool replacing = true)
{
    const auto send = [target](int code, Qt::KeyboardModifiers modifiers, const QString &characters) {
        QKeyEvent press(QEvent::KeyPress, code, modifiers, characters);
        QApplication::sendEvent(target, &press);
    };
    if (replacing) {
        send(Qt::Key_A, Qt::ControlModifier, QString());
        send(Qt::Key_Backspace, Qt::NoModifier, QString());
    }
    for (const QChar c : text)
        send(int(c.toUpper().unicode()), Qt::NoModifier, QString(c));
}

void press(QWidget *view, const char *buttonName)
{
    auto *button = view->findChild<PanelButton *>(QString::fromLatin1(buttonName));
    ASSERT_TRUE(button) << buttonName;
    testsupport::click(button);
}

class PanelSheetHostTest : public ::testing::Test, public ModelHarness {
protected:
    void SetUp() override
    {
        ClipboardEntry image = ofKind(QStringLiteral("img"), ClipboardKind::Image, QString(""));
        image.imageData = testsupport::SeededModel::png(40, 30, 120);
        ClipboardEntry shot = ofKind(QStringLiteral("shot"), ClipboardKind::Image, QString(""));
        shot.imageData = testsupport::SeededModel::png(30, 40, 200);
        shot.isScreenshot = true;
        ClipboardEntry file = ofKind(QStringLiteral("file"), ClipboardKind::File, QStringLiteral("/home/jana/a.pdf"));
        file.fileURLs = {file.text};
        ClipboardEntry pinned = textEntry(QStringLiteral("pin"), QStringLiteral("pinned text"));
        pinned.isPinned = true;
        // Newest first: an image and a file come before the newest text.
        seedHistory({image, file, textEntry(QStringLiteral("plain"), QStringLiteral("Ahoj svet")), pinned,
                     textEntry(QStringLiteral("stacked")), textEntry(QStringLiteral("jarred")), shot});
        seedPasteStack({QStringLiteral("stacked")});
        seedJars({ClipboardJar{QStringLiteral("J1"), QStringLiteral("Práca"), {QStringLiteral("jarred")}},
                  ClipboardJar{QStringLiteral("J2"), QStringLiteral("Doma"), {QStringLiteral("plain")}}});
        seedSnippets({ClipboardSnippet{QStringLiteral("S1"), QStringLiteral("Podpis"), QStringLiteral(";podpis"),
                                       QStringLiteral("S pozdravom")}});
        model = &make();
        link = std::make_unique<ClipboardModelPanelLink>(*model, settings);
        panel.resize(450, 460);
        panel.show();
        host = std::make_unique<PanelSheetHost>(*model, controller, &panel);
    }
    void TearDown() override
    {
        host.reset();
        link.reset();
        // The model writes what it still holds as it goes; it must go before the next seed, or
        // its last write would land over the rows seeded for the next case.
        model = nullptr;
        ModelHarness::model.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ClipboardEntry entry(const QString &id) const
    {
        for (const ClipboardEntry &e : model->entries())
            if (e.id == id)
                return e;
        return {};
    }
    bool holds(const QString &id) const { return !entry(id).id.isEmpty(); }
    template <typename T>
    T *sheet() const
    {
        return qobject_cast<T *>(host->sheet());
    }
    // What the host tells its view, which holds the panel open with it.
    bool heldOpen() const { return host->isPresenting(); }
    bool released() const { return !host->isPresenting() && !host->isEditorOpen() && !host->isActionMenuOpen(); }

    ScopedLanguage slovak{std::nullopt};
    ClipboardModel *model = nullptr;
    std::unique_ptr<ClipboardModelPanelLink> link;
    testsupport::FakePanelController controller;
    QWidget panel;
    std::unique_ptr<PanelSheetHost> host;
};

TEST_F(PanelSheetHostTest, SavingAnEditReplacesTheEntryTextAndPastingUsesTheEditedText)
{
    host->editEntry(entry(QStringLiteral("plain")));
    auto *edit = sheet<EditTextSheet>();
    ASSERT_TRUE(edit);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_TRUE(edit->isWindow()) << "a sheet takes the keyboard, which the panel never does";
    EXPECT_TRUE(heldOpen());
    QPlainTextEdit *editor = edit->findChild<SheetTextBox *>()->editor();
    typeInto(editor, QStringLiteral("https://example.org"));
    press(edit, "save");
    EXPECT_EQ(entry(QStringLiteral("plain")).text, QStringLiteral("https://example.org"));
    EXPECT_EQ(entry(QStringLiteral("plain")).kind, ClipboardKind::Url);
    EXPECT_FALSE(host->sheet());
    EXPECT_FALSE(host->editingEntry());
    EXPECT_TRUE(released());

    // A change of language while the sheet is open shows it in the new language with the edit kept.
    host->editEntry(entry(QStringLiteral("plain")));
    edit = sheet<EditTextSheet>();
    typeInto(edit->findChild<SheetTextBox *>()->editor(), QStringLiteral("rozpísané"));
    {
        ScopedLanguage english(QStringLiteral("en"));
        model->setLanguage(AppLanguage::En);
        auto *title = edit->findChild<QLabel *>(QStringLiteral("title"));
        EXPECT_TRUE(testsupport::waitFor([title] { return title->text() == QStringLiteral("Edit before pasting"); }));
        EXPECT_EQ(edit->findChild<PanelButton *>(QStringLiteral("save"))->look().title, QStringLiteral("Save Changes"));
        EXPECT_EQ(edit->text(), QStringLiteral("rozpísané"));
    }
    press(edit, "cancel");

    host->editEntry(entry(QStringLiteral("pin")));
    typeInto(sheet<EditTextSheet>()->findChild<SheetTextBox *>()->editor(), QStringLiteral("just this once"));
    press(sheet<EditTextSheet>(), "paste");
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("just this once"));
    EXPECT_EQ(entry(QStringLiteral("pin")).text, QStringLiteral("pinned text")) << "a paste leaves the entry as it was";
    EXPECT_FALSE(host->sheet());
    EXPECT_TRUE(released());
}

TEST_F(PanelSheetHostTest, AnEditWhoseEntryVanishedStaysInTheSheetAndCanStillBePasted)
{
    host->editEntry(entry(QStringLiteral("plain")));
    auto *edit = sheet<EditTextSheet>();
    ASSERT_TRUE(edit);
    // The entry expires, is trimmed or deleted while the user types.
    model->deleteEntry(entry(QStringLiteral("plain")));
    const QList<ClipboardEntry> before = model->entries();
    typeInto(edit->findChild<SheetTextBox *>()->editor(), QStringLiteral("my long edit"));
    press(edit, "save");
    EXPECT_EQ(host->sheet(), edit) << "the sheet stays with the edit";
    EXPECT_TRUE(edit->isSaveRefused());
    EXPECT_EQ(edit->text(), QStringLiteral("my long edit"));
    EXPECT_EQ(edit->findChild<QLabel *>(QStringLiteral("hint"))->text(),
              QStringLiteral("Položka už nie je v Histórii. Úprava ostala tu, môžeš ju vložiť."));
    EXPECT_EQ(model->entries(), before) << "no other entry takes the text";
    EXPECT_TRUE(heldOpen());
    press(edit, "paste");
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("my long edit"));
    EXPECT_FALSE(host->sheet());

    // A file entry is edited as text, but its files are not replaced by it.
    host->editEntry(entry(QStringLiteral("file")));
    auto *fileEdit = sheet<EditTextSheet>();
    ASSERT_TRUE(fileEdit);
    typeInto(fileEdit->findChild<SheetTextBox *>()->editor(), QStringLiteral("other"));
    press(fileEdit, "save");
    EXPECT_EQ(host->sheet(), fileEdit);
    EXPECT_EQ(fileEdit->findChild<QLabel *>(QStringLiteral("hint"))->text(),
              QStringLiteral("Súbory sa nedajú prepísať textom. Úprava ostala tu, môžeš ju vložiť."));
    EXPECT_EQ(entry(QStringLiteral("file")).text, QStringLiteral("/home/jana/a.pdf"));
    EXPECT_EQ(entry(QStringLiteral("file")).kind, ClipboardKind::File);
}

TEST_F(PanelSheetHostTest, ImageEntriesOpenThePreviewOrTheComposerAndThePreviewPastesWithoutUsingUpTheEntry)
{
    const ClipboardEntry image = entry(QStringLiteral("img"));
    QSignalSpy editor(host.get(), &PanelSheetHost::editorOpenChanged);
    host->composeImage(image);
    EXPECT_TRUE(sheet<ImageCanvasComposerSheet>());
    host->editEntry(image);
    EXPECT_TRUE(sheet<ImageCanvasComposerSheet>()) << "an image keeps the last image mode";
    EXPECT_EQ(told(editor), QList<bool>{true}) << "one sheet replacing another never lets the panel go";
    host->previewImage(image);
    auto *preview = sheet<ImagePreviewSheet>();
    ASSERT_TRUE(preview);
    ASSERT_TRUE(testsupport::waitFor([preview] { return !preview->isLoading(); }));
    EXPECT_TRUE(preview->hasImage());

    model->setPasteStackEntryIDs({QStringLiteral("img"), QStringLiteral("stacked")});
    const int writes = pasteboard.writeCount();
    press(preview, "paste");
    EXPECT_EQ(pasteboard.writeCount(), writes + 1);
    EXPECT_EQ(pasteboard.lastWriteKind(), FakePasteboard::WriteKind::Image);
    EXPECT_FALSE(model->consumedEntryIDs().contains(QStringLiteral("img")));
    EXPECT_EQ(model->pasteStackEntryIDs(), (QStringList{QStringLiteral("img"), QStringLiteral("stacked")}));
    EXPECT_FALSE(host->sheet());
    EXPECT_TRUE(released());

    // Escape closes an image sheet too, and an open sheet follows a change of appearance.
    host->composeImage(image);
    QWidget *composer = host->sheet();
    ASSERT_TRUE(composer);
    EXPECT_EQ(PanelStyle::schemeOf(composer), PanelStyle::Scheme::Dark);
    model->setAppearance(ClipboardAppearance::Light);
    ASSERT_TRUE(testsupport::waitFor([composer] { return PanelStyle::schemeOf(composer) == PanelStyle::Scheme::Light; }));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(composer, &escape);
    EXPECT_FALSE(host->sheet());
    EXPECT_TRUE(released());
}

TEST_F(PanelSheetHostTest, AnImageSheetOpensAtOnceAndTakesItsImageWhenTheDecodeEnds)
{
    const ClipboardEntry image = entry(QStringLiteral("img"));
    const auto enabled = [](QWidget *sheet, const char *name) {
        return sheet->findChild<PanelButton *>(QString::fromLatin1(name))->isEnabled();
    };
    const auto saysUnavailable = [](QWidget *sheet) { return sheet->findChild<PanelEmptyState *>()->isVisibleTo(sheet); };
    {
        testsupport::HeldThreadPool pool;
        host->previewImage(image);
        auto *preview = sheet<ImagePreviewSheet>();
        ASSERT_TRUE(preview);
        EXPECT_TRUE(preview->isLoading());
        EXPECT_FALSE(preview->hasImage());
        EXPECT_FALSE(enabled(preview, "paste")) << "nothing to paste before the image is there";
        EXPECT_FALSE(saysUnavailable(preview)) << "a load still running is no failure";
        pool.release();
        ASSERT_TRUE(testsupport::waitFor([preview] { return !preview->isLoading(); }));
        EXPECT_EQ(preview->dimensions(), QStringLiteral("40 × 30"));
        EXPECT_TRUE(enabled(preview, "paste"));
        EXPECT_FALSE(saysUnavailable(preview));
    }
    {
        testsupport::HeldThreadPool pool;
        host->composeImage(image);
        auto *composer = sheet<ImageCanvasComposerSheet>();
        ASSERT_TRUE(composer);
        EXPECT_FALSE(composer->hasImage());
        EXPECT_FALSE(enabled(composer, "save"));
        EXPECT_FALSE(composer->findChild<ImageCanvasPreview *>());
        pool.release();
        ASSERT_TRUE(testsupport::waitFor([composer] { return !composer->isLoading(); }));
        EXPECT_TRUE(composer->hasImage());
        EXPECT_TRUE(enabled(composer, "save"));
        EXPECT_TRUE(composer->findChild<ImageCanvasPreview *>());
    }
    // Closed while its decode waits: the sheet goes, and the decode ending later reaches nothing.
    for (const bool compose : {false, true}) {
        testsupport::HeldThreadPool pool;
        compose ? host->composeImage(image) : host->previewImage(image);
        QPointer<QWidget> closing = host->sheet();
        ASSERT_TRUE(closing);
        press(closing, "close");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(closing) << compose;
        EXPECT_FALSE(host->sheet());
        pool.release();
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        EXPECT_TRUE(released());
    }
}

TEST_F(PanelSheetHostTest, AStoredImageIsReadOnlyFromTheImageStore)
{
    // A readable picture in the store's folder shows; the same picture anywhere else is a record
    // the store refuses, so the sheet says the image cannot be shown.
    const QByteArray png = testsupport::SeededModel::png(24, 18, 40);
    // The model's writes sweep store files no entry names: the ones it started with are done.
    ASSERT_TRUE(model->flushHistory(std::chrono::seconds(5)));
    const QString inside = ClipboardImageStore(imageFolder()).save(png).path;
    ASSERT_FALSE(inside.isEmpty());
    // Beside the store's folder, and the same file named through it.
    const QString outside = QFileInfo(imageFolder()).path() + QStringLiteral("/A.image");
    QFile file(outside);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(png);
    file.close();
    const QString escaping = imageFolder() + QStringLiteral("/../A.image");

    const struct {
        QString path;
        bool shows;
    } cases[] = {{inside, true}, {outside, false}, {escaping, false}};
    for (const auto &c : cases) {
        ClipboardEntry record = entry(QStringLiteral("img"));
        record.imageData.reset();
        record.imageFilePath = c.path;
        for (const bool compose : {false, true}) {
            compose ? host->composeImage(record) : host->previewImage(record);
            QWidget *opened = host->sheet();
            ASSERT_TRUE(opened);
            auto *preview = qobject_cast<ImagePreviewSheet *>(opened);
            auto *composer = qobject_cast<ImageCanvasComposerSheet *>(opened);
            ASSERT_TRUE(testsupport::waitFor([&] { return preview ? !preview->isLoading() : !composer->isLoading(); }));
            EXPECT_EQ(preview ? preview->hasImage() : composer->hasImage(), c.shows) << c.path.toStdString() << compose;
            EXPECT_EQ(opened->findChild<PanelEmptyState *>()->isVisibleTo(opened), !c.shows) << c.path.toStdString() << compose;
            press(opened, "close");
        }
    }
}

TEST_F(PanelSheetHostTest, TheJarEditorCreatesAndRenamesAndKeepsARefusedName)
{
    model->setSelectedJarID(QStringLiteral("J1"));
    host->editJar(std::nullopt);
    auto *jar = sheet<JarEditorSheet>();
    ASSERT_TRUE(jar);
    auto *field = jar->findChild<PanelField *>();
    typeInto(field, QStringLiteral("práca"));
    press(jar, "save");
    EXPECT_EQ(host->sheet(), jar) << "another Jar's name in other letter case";
    EXPECT_TRUE(jar->hasNameError());
    EXPECT_EQ(field->text(), QStringLiteral("práca"));
    EXPECT_EQ(model->jars().size(), 2);
    typeInto(field, QStringLiteral("Nové"));
    press(jar, "save");
    ASSERT_EQ(model->jars().size(), 3);
    EXPECT_EQ(model->jars().first().name, QStringLiteral("Nové"));
    EXPECT_EQ(model->selectedTab(), ClipboardPanelTab::Jars);
    EXPECT_FALSE(model->selectedJarID()) << "a new Jar shows among the others";
    EXPECT_FALSE(host->sheet());

    model->setSelectedJarID(QStringLiteral("J1"));
    model->setSelectedTab(ClipboardPanelTab::History);
    host->editJar(QStringLiteral("J1"));
    auto *rename = sheet<JarEditorSheet>();
    ASSERT_TRUE(rename);
    EXPECT_EQ(rename->name(), QStringLiteral("Práca"));
    typeInto(rename->findChild<PanelField *>(), QStringLiteral("PRÁCA"));
    press(rename, "save");
    EXPECT_EQ(model->jars().at(1).name, QStringLiteral("PRÁCA"));
    EXPECT_EQ(model->selectedJarID(), QStringLiteral("J1"));
    EXPECT_EQ(model->selectedTab(), ClipboardPanelTab::Jars);
    EXPECT_FALSE(host->sheet());

    host->editJar(QStringLiteral("J2"));
    press(sheet<JarEditorSheet>(), "cancel");
    EXPECT_FALSE(host->sheet());
    EXPECT_EQ(model->jars().at(2).name, QStringLiteral("Doma"));
    EXPECT_TRUE(released());
}

TEST_F(PanelSheetHostTest, TheSnippetEditorOffersTheNewestTextAndSavesThroughTheModel)
{
    host->editSnippet(std::nullopt);
    auto *editor = sheet<SnippetEditorSheet>();
    ASSERT_TRUE(editor);
    press(editor, "useLatestCopy");
    EXPECT_EQ(editor->content(), QStringLiteral("Ahoj svet")) << "the newest entry that is neither image nor file";
    typeInto(editor->findChild<PanelField *>(QStringLiteral("name")), QStringLiteral("Pozdrav"));
    typeInto(editor->findChild<PanelField *>(QStringLiteral("trigger")), QStringLiteral(";podpis"));
    press(editor, "save");
    EXPECT_EQ(host->sheet(), editor) << "a trigger another snippet uses";
    EXPECT_TRUE(editor->hasSaveError());
    EXPECT_EQ(model->snippets().size(), 1);
    typeInto(editor->findChild<PanelField *>(QStringLiteral("trigger")), QStringLiteral(";ahoj"));
    press(editor, "save");
    ASSERT_EQ(model->snippets().size(), 2);
    EXPECT_FALSE(host->sheet());

    host->editSnippet(model->snippets().at(0).id == QStringLiteral("S1") ? model->snippets().at(0) : model->snippets().at(1));
    auto *existing = sheet<SnippetEditorSheet>();
    ASSERT_TRUE(existing);
    typeInto(existing->findChild<SheetTextBox *>()->editor(), QStringLiteral("Jana"));
    press(existing, "save");
    EXPECT_EQ(model->snippets().size(), 2) << "edited in place";
    for (const ClipboardSnippet &snippet : model->snippets()) {
        if (snippet.id == QStringLiteral("S1")) {
            EXPECT_EQ(snippet.text, QStringLiteral("Jana"));
        }
    }
    EXPECT_TRUE(released());
}

TEST_F(PanelSheetHostTest, EachSectionIsClearedOnlyAfterConfirmation)
{
    struct Case {
        ClearSection section;
        std::optional<QString> jar;
        std::function<bool(const ClipboardModel &)> cleared;
    };
    const auto has = [](const ClipboardModel &m, const char *id) {
        return std::any_of(m.entries().cbegin(), m.entries().cend(),
                           [id](const ClipboardEntry &e) { return e.id == QLatin1String(id); });
    };
    const auto jarIDs = [](const ClipboardModel &m) {
        QStringList ids;
        for (const ClipboardJar &jar : m.jars())
            ids << jar.id + u':' + jar.entryIDs.join(u',');
        return ids;
    };
    const Case cases[] = {
        {ClearSection::Clipboard, std::nullopt,
         // Kept: pinned, stacked, in a Jar, images.
         [&](const ClipboardModel &m) {
             return !has(m, "file") && has(m, "pin") && has(m, "stacked") && has(m, "plain") && has(m, "img");
         }},
        {ClearSection::History, std::nullopt,
         [&](const ClipboardModel &m) { return !has(m, "file") && has(m, "pin") && has(m, "jarred") && has(m, "shot"); }},
        {ClearSection::PasteStack, std::nullopt,
         [&](const ClipboardModel &m) { return m.pasteStackEntryIDs().isEmpty() && has(m, "stacked"); }},
        {ClearSection::Pins, std::nullopt, [&](const ClipboardModel &m) { return !has(m, "pin") && has(m, "plain"); }},
        {ClearSection::Gallery, std::nullopt, [&](const ClipboardModel &m) { return !has(m, "img") && has(m, "shot"); }},
        {ClearSection::Screenshots, std::nullopt, [&](const ClipboardModel &m) { return has(m, "img") && !has(m, "shot"); }},
        {ClearSection::Snippets, std::nullopt, [](const ClipboardModel &m) { return m.snippets().isEmpty(); }},
        {ClearSection::Jars, std::nullopt,
         [&](const ClipboardModel &m) { return jarIDs(m) == QStringList{"J1:", "J2:"} && has(m, "jarred"); }},
        {ClearSection::Jar, QStringLiteral("J1"),
         [&](const ClipboardModel &m) { return jarIDs(m) == QStringList{"J1:", "J2:plain"}; }},
        {ClearSection::DeleteJar, QStringLiteral("J2"),
         [&](const ClipboardModel &m) { return jarIDs(m) == QStringList{"J1:jarred"} && has(m, "plain"); }},
    };
    const auto snapshot = [&] {
        QStringList all;
        for (const ClipboardEntry &e : model->entries())
            all << e.id;
        all << jarIDs(*model) << model->pasteStackEntryIDs();
        for (const ClipboardSnippet &s : model->snippets())
            all << s.id;
        return all;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.section));
        TearDown();
        SetUp();
        const QStringList untouched = snapshot();
        ASSERT_FALSE(c.cleared(*model)) << "the seed has something to clear";

        host->confirmClear(c.section, c.jar);
        auto *alert = qobject_cast<ClearSectionAlert *>(host->clearAlert());
        ASSERT_TRUE(alert);
        EXPECT_TRUE(alert->isVisible());
        EXPECT_TRUE(heldOpen());
        press(alert, "cancel");
        EXPECT_FALSE(host->clearAlert());
        EXPECT_EQ(snapshot(), untouched) << "cancelling clears nothing";
        EXPECT_TRUE(released());

        host->confirmClear(c.section, c.jar);
        press(host->clearAlert(), "confirm");
        EXPECT_TRUE(c.cleared(*model));
        EXPECT_NE(snapshot(), untouched);
        EXPECT_FALSE(host->clearAlert());
        EXPECT_TRUE(released());
    }
    // A Jar clear that names no Jar does nothing.
    const QStringList before = snapshot();
    host->confirmClear(ClearSection::DeleteJar);
    press(host->clearAlert(), "confirm");
    EXPECT_EQ(snapshot(), before);
}

TEST_F(PanelSheetHostTest, ThePanelStaysOpenWhileAnySheetAlertOrMenuIsShown)
{
    const ClipboardEntry plain = entry(QStringLiteral("plain"));
    QSignalSpy editor(host.get(), &PanelSheetHost::editorOpenChanged);
    QSignalSpy menu(host.get(), &PanelSheetHost::actionMenuOpenChanged);
    host->setActionEntry(plain);
    EXPECT_TRUE(host->isActionMenuOpen());
    EXPECT_FALSE(host->isEditorOpen());
    EXPECT_TRUE(heldOpen()) << "an actions menu holds the panel";
    // The menu's edit row opens the sheet, then the menu goes.
    host->editEntry(plain);
    host->setActionEntry(std::nullopt);
    EXPECT_TRUE(heldOpen());
    host->confirmClear(ClearSection::Snippets);
    press(sheet<EditTextSheet>(), "cancel");
    EXPECT_TRUE(heldOpen()) << "the alert still asks";
    host->clearAlert()->close(); // the window manager's close counts as a cancel
    EXPECT_FALSE(host->clearAlert());
    EXPECT_EQ(model->snippets().size(), 1);
    EXPECT_TRUE(released());
    EXPECT_EQ(told(editor), (QList<bool>{true, false})) << "told once each way";
    EXPECT_EQ(told(menu), (QList<bool>{true, false}));

    QSignalSpy presenting(host.get(), &PanelSheetHost::presentingChanged);
    host->editSnippet(std::nullopt);
    host->editJar(std::nullopt);
    host->dismissAll();
    EXPECT_EQ(presenting.size(), 2);
    EXPECT_TRUE(released());
}

TEST_F(PanelSheetHostTest, LibraryRowsAndScreensReachTheSheets)
{
    model->setSelectedTab(ClipboardPanelTab::History);
    EntryList list(*model, *host, false);
    list.resize(420, 400);
    list.show();
    QCoreApplication::processEvents();

    const auto openMenu = [&]() -> EntryActionsMenu * {
        if (!list.trigger(QStringLiteral("plain"), EntryRowDelegate::Control::AllActions))
            return nullptr;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *candidate = qobject_cast<EntryActionsMenu *>(window); candidate && candidate->isVisible())
                return candidate;
        }
        return nullptr;
    };
    // A popup that closes on its own (a click outside it) lets the panel go.
    EntryActionsMenu *menu = openMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(host->actionEntry()->id, QStringLiteral("plain"));
    EXPECT_TRUE(heldOpen());
    menu->QWidget::close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(host->actionEntry());
    EXPECT_TRUE(released());
    QSignalSpy presenting(host.get(), &PanelSheetHost::presentingChanged);

    menu = openMenu();
    ASSERT_TRUE(menu);
    MenuActionRow *editRow = nullptr;
    for (MenuActionRow *row : menu->findChildren<MenuActionRow *>())
        if (row->content().title == QStringLiteral("Upraviť pred vložením"))
            editRow = row;
    ASSERT_TRUE(editRow);
    editRow->click();
    QCoreApplication::processEvents();
    auto *edit = sheet<EditTextSheet>();
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->entry().id, QStringLiteral("plain"));
    EXPECT_FALSE(host->actionEntry()) << "the menu went";
    EXPECT_EQ(told(presenting), QList<bool>{true}) << "from menu to sheet without letting go";

    ASSERT_TRUE(list.trigger(QStringLiteral("img"), EntryRowDelegate::Control::Header));
    EXPECT_TRUE(sheet<ImagePreviewSheet>()) << "a click on an image row shows it";

    JarsScreen jars(*model, *host, {});
    jars.clearAllButton()->click();
    auto *alert = qobject_cast<ClearSectionAlert *>(host->clearAlert());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->section(), ClearSection::Jars);
}

} // namespace
