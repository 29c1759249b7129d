// The sheets on their own: what their buttons allow, what their keys do, and what they count.

#include "support/ScopedLanguage.h"
#include "support/WidgetEvents.h"
#include "ui/library/JarEditorSheet.h"
#include "ui/panel/CharacterCount.h"
#include "ui/panel/ClearSectionAlert.h"
#include "ui/panel/EditTextSheet.h"
#include "ui/panel/SheetTextBox.h"
#include "ui/panel/SnippetEditorSheet.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelField.h"
#include "ui/tools/ToolText.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void key(QWidget *target, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, code, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, modifiers, text);
    QApplication::sendEvent(target, &release);
}

// Typed as the keyboard would: one key event per character.
void type(QWidget *target, const QString &text)
{
    for (const QChar c : text)
        key(target, c == u'\n' ? int(Qt::Key_Return) : int(c.toUpper().unicode()), Qt::NoModifier, QString(c));
}

void selectAllAndErase(QWidget *target)
{
    key(target, Qt::Key_A, Qt::ControlModifier);
    key(target, Qt::Key_Backspace);
}

template <typename T>
T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    EXPECT_TRUE(found) << name;
    return found;
}

ClipboardEntry textEntry(const QString &text, ClipboardKind kind = ClipboardKind::Text)
{
    ClipboardEntry entry;
    entry.id = QStringLiteral("E1");
    entry.text = text;
    entry.kind = kind;
    entry.sourceApp = QStringLiteral("Kate");
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    return entry;
}

struct EditHarness {
    explicit EditHarness(const QString &stored, bool accepts = true)
        : sheet(textEntry(stored), stored, ClipboardAppearance::Dark, [this, accepts](const QString &text) {
            saved << text;
            return accepts;
        })
    {
        QObject::connect(&sheet, &EditTextSheet::closeRequested, [this] { ++closes; });
        QObject::connect(&sheet, &EditTextSheet::pasteRequested, [this](const QString &text) { pasted << text; });
        sheet.show();
    }
    QPlainTextEdit *editor() { return child<SheetTextBox>(&sheet, "editor")->editor(); }
    PanelButton *button(const char *name) { return child<PanelButton>(&sheet, name); }

    ScopedLanguage slovak{std::nullopt};
    QStringList saved;
    QStringList pasted;
    int closes = 0;
    EditTextSheet sheet;
};

TEST(EditTextSheet, SaveNeedsAChangedTextAndPasteAnyText)
{
    struct Case {
        const char *what;
        QString typed; // replaces the stored text; null keeps it
        bool canSave;
        bool canPaste;
    };
    const Case cases[] = {
        {"unchanged", QString(), false, true},
        {"emptied", QStringLiteral(""), false, false},
        {"only spaces and a line break", QStringLiteral("  \n"), true, true},
        {"changed", QStringLiteral("Ahoj"), true, true},
    };
    for (const Case &c : cases) {
        EditHarness h(QStringLiteral("Ahoj svet"));
        if (!c.typed.isNull()) {
            selectAllAndErase(h.editor());
            type(h.editor(), c.typed);
        }
        EXPECT_EQ(h.sheet.text(), c.typed.isNull() ? QStringLiteral("Ahoj svet") : c.typed) << c.what;
        EXPECT_EQ(h.button("save")->isEnabled(), c.canSave) << c.what;
        EXPECT_EQ(h.button("paste")->isEnabled(), c.canPaste) << c.what;
        EXPECT_TRUE(h.button("cancel")->isEnabled() && h.button("headerClose")->isEnabled()) << c.what;

        // Ctrl+S from inside the editor saves only what may be saved.
        key(h.editor(), Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(h.saved.size(), c.canSave ? 1 : 0) << c.what;
        // Return from outside the editor pastes only a text that is there.
        key(&h.sheet, Qt::Key_Return);
        EXPECT_EQ(h.pasted, c.canPaste ? QStringList{h.sheet.text()} : QStringList()) << c.what;
    }
}

TEST(EditTextSheet, KeysInTheEditorStayTextAndEscapeCloses)
{
    EditHarness h(QStringLiteral("a"));
    h.editor()->moveCursor(QTextCursor::End);
    type(h.editor(), QStringLiteral("\nb"));
    EXPECT_EQ(h.sheet.text(), QStringLiteral("a\nb")) << "Return in the editor breaks the line";
    EXPECT_TRUE(h.pasted.isEmpty());
    key(h.editor(), Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\r"));
    key(h.editor(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, QStringLiteral("\r"));
    EXPECT_EQ(h.pasted, QStringList(2, QStringLiteral("a\nb"))) << "Ctrl+Return in the editor pastes";
    EXPECT_EQ(h.sheet.text(), QStringLiteral("a\nb"));
    EXPECT_EQ(h.button("paste")->toolTip(), QStringLiteral("Vložiť upravený text na miesto kurzora (Ctrl+Return)"));
    h.pasted.clear();
    EXPECT_EQ(h.closes, 0);
    key(h.editor(), Qt::Key_Escape);
    EXPECT_EQ(h.closes, 1);
    EXPECT_TRUE(h.saved.isEmpty());
    testsupport::click(h.button("headerClose"));
    testsupport::click(h.button("cancel"));
    EXPECT_EQ(h.closes, 3);
    testsupport::click(h.button("paste"));
    EXPECT_EQ(h.pasted, QStringList{QStringLiteral("a\nb")}) << "the edited text, not the stored one";
}

TEST(CharacterCount, CountsWhatAReaderSeesInTheInterfaceLanguage)
{
    const QString combining = QStringLiteral("e\u0301");
    const QString family = QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7");
    EXPECT_EQ(CharacterCount::of(QString()), 0);
    EXPECT_EQ(CharacterCount::of(combining), 1);
    EXPECT_EQ(CharacterCount::of(family), 1);
    EXPECT_EQ(CharacterCount::of(QStringLiteral("a\r\nb\n")), 4);
    EXPECT_EQ(CharacterCount::of(combining + family + QStringLiteral("\n")), 3);
    {
        ScopedLanguage slovak(std::nullopt);
        // The number as "%d" writes it: no group separator, in either language.
        EXPECT_EQ(CharacterCount::label(1500), QStringLiteral("1500 znakov"));
        EXPECT_EQ(CharacterCount::label(1234567), QStringLiteral("1234567 znakov"));
    }
    {
        ScopedLanguage english(QStringLiteral("en"), QHash<QString, QString>{{QStringLiteral("%d znakov"), QStringLiteral("%d characters")}});
        EXPECT_EQ(CharacterCount::label(1234), QStringLiteral("1234 characters"));
    }
    {
        // A translation with a stray percent sign or another placeholder keeps them as text.
        ScopedLanguage odd(QStringLiteral("en"), QHash<QString, QString>{{QStringLiteral("%d znakov"), QStringLiteral("%d chars (100%) %@ %lld")}});
        EXPECT_EQ(CharacterCount::label(7), QStringLiteral("7 chars (100%) %@ %lld"));
    }
    EditHarness h(QStringLiteral("e\u0301\n"));
    EXPECT_EQ(child<ToolText>(&h.sheet, "count")->text(), QStringLiteral("2 znakov"));
    type(h.editor(), QStringLiteral("xy"));
    EXPECT_EQ(child<ToolText>(&h.sheet, "count")->text(), QStringLiteral("4 znakov"));
}

struct SnippetHarness {
    SnippetHarness(std::optional<ClipboardSnippet> snippet, std::optional<QString> latest)
        : sheet(std::move(snippet), std::move(latest), ClipboardAppearance::Light,
                [this](const QString &name, const QString &trigger, const QString &text) {
                    saved << (name + u'|' + trigger + u'|' + text);
                    return answers.isEmpty() || answers.takeFirst();
                })
    {
        QObject::connect(&sheet, &SnippetEditorSheet::closeRequested, [this] { ++closes; });
        sheet.show();
    }
    PanelField *field(const char *name) { return child<PanelField>(&sheet, name); }
    QPlainTextEdit *content() { return child<SheetTextBox>(&sheet, "content")->editor(); }
    PanelButton *button(const char *name) { return child<PanelButton>(&sheet, name); }

    ScopedLanguage slovak{std::nullopt};
    QList<bool> answers;
    QStringList saved;
    int closes = 0;
    SnippetEditorSheet sheet;
};

TEST(SnippetEditorSheet, NewAndEditedSnippetsNameThemselvesAndNeedNameAndText)
{
    SnippetHarness fresh(std::nullopt, std::nullopt);
    EXPECT_EQ(child<ToolText>(&fresh.sheet, "title")->text(), QStringLiteral("Nová skratka"));
    EXPECT_EQ(fresh.button("save")->look().title, QStringLiteral("Vytvoriť"));
    EXPECT_FALSE(fresh.sheet.findChild<PanelButton *>(QStringLiteral("useLatestCopy"))) << "nothing copied, nothing offered";

    struct Step {
        const char *what;
        const char *field; // "name" or "content"
        QString typed;
        bool canSave;
    };
    const Step steps[] = {
        {"a name alone", "name", QStringLiteral("Podpis"), false},
        {"text of white space only", "content", QStringLiteral(" \n "), false},
        {"real text, no trigger", "content", QStringLiteral("Jana"), true},
    };
    for (const Step &s : steps) {
        QWidget *target = qstrcmp(s.field, "name") == 0 ? static_cast<QWidget *>(fresh.field("name")) : fresh.content();
        type(target, s.typed);
        EXPECT_EQ(fresh.button("save")->isEnabled(), s.canSave) << s.what;
    }
    key(fresh.content(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(fresh.saved, QStringList{QStringLiteral("Podpis|| \n Jana")}) << "the fields go untrimmed";

    SnippetHarness edited(ClipboardSnippet{QStringLiteral("S1"), QStringLiteral("Adresa"), QStringLiteral(";adr"),
                                           QStringLiteral("Hlavná 12")},
                          QStringLiteral(""));
    EXPECT_EQ(child<ToolText>(&edited.sheet, "title")->text(), QStringLiteral("Upraviť skratku"));
    EXPECT_EQ(edited.button("save")->look().title, QStringLiteral("Uložiť zmeny"));
    EXPECT_EQ(edited.field("trigger")->text(), QStringLiteral(";adr"));
    EXPECT_EQ(edited.sheet.content(), QStringLiteral("Hlavná 12"));
    EXPECT_FALSE(edited.sheet.findChild<PanelButton *>(QStringLiteral("useLatestCopy"))) << "an empty copy is not offered";
    key(edited.field("name"), Qt::Key_Escape);
    EXPECT_EQ(edited.closes, 1);
    EXPECT_TRUE(edited.saved.isEmpty());
}

TEST(SnippetEditorSheet, ARefusalStaysShownUntilASaveIsAcceptedAndTheLatestCopyFillsTheText)
{
    SnippetHarness h(std::nullopt, QStringLiteral("Posledná\nkópia"));
    type(h.field("name"), QStringLiteral("N"));
    type(h.content(), QStringLiteral("old"));
    testsupport::click(h.button("useLatestCopy"));
    EXPECT_EQ(h.sheet.content(), QStringLiteral("Posledná\nkópia")) << "the copy replaces the text";
    EXPECT_EQ(h.field("name")->text(), QStringLiteral("N"));
    EXPECT_EQ(child<ToolText>(&h.sheet, "count")->text(), QStringLiteral("14 znakov"));

    ToolText *hint = child<ToolText>(&h.sheet, "hint");
    h.answers = {false, true};
    testsupport::click(h.button("save"));
    EXPECT_TRUE(h.sheet.hasSaveError());
    EXPECT_EQ(hint->text(), QStringLiteral("Táto skratka už existuje."));
    type(h.field("name"), QStringLiteral("2"));
    EXPECT_EQ(hint->text(), QStringLiteral("Táto skratka už existuje.")) << "typing does not hide the refusal";
    testsupport::click(h.button("save"));
    EXPECT_FALSE(h.sheet.hasSaveError());
    EXPECT_EQ(hint->text(), QStringLiteral("Riadky a medzery sa pri vložení zachovajú."));
    EXPECT_EQ(h.saved.size(), 2);
    key(h.field("name"), Qt::Key_Return);
    EXPECT_EQ(h.saved.size(), 2) << "the snippet editor has no default action";
}

struct JarHarness {
    explicit JarHarness(const QString &initialName)
        : sheet(initialName, ClipboardAppearance::Dark, [this](const QString &name) {
            names << name;
            return accepts;
        })
    {
        QObject::connect(&sheet, &JarEditorSheet::cancelRequested, [this] { ++cancels; });
        sheet.show();
    }
    PanelField *field() { return child<PanelField>(&sheet, "name"); }
    PanelButton *button(const char *name) { return child<PanelButton>(&sheet, name); }
    bool errorShown() { return child<ToolText>(&sheet, "error")->isVisibleTo(&sheet); }

    ScopedLanguage slovak{std::nullopt};
    bool accepts = false;
    QStringList names;
    int cancels = 0;
    JarEditorSheet sheet;
};

TEST(JarEditorSheet, ReturnSubmitsEvenAnEmptyNameAndARefusalStaysUntilTheNextAnswer)
{
    JarHarness h{QString()};
    EXPECT_EQ(child<ToolText>(&h.sheet, "title")->text(), QStringLiteral("Vytvoriť Jar"));
    EXPECT_EQ(h.button("save")->look().title, QStringLiteral("Vytvoriť"));
    EXPECT_FALSE(h.button("save")->isEnabled());
    EXPECT_FALSE(h.errorShown());

    type(h.field(), QStringLiteral("   "));
    EXPECT_FALSE(h.button("save")->isEnabled()) << "spaces are no name";
    key(h.field(), Qt::Key_Return);
    EXPECT_EQ(h.names, QStringList{QStringLiteral("   ")}) << "once, as typed";
    EXPECT_TRUE(h.errorShown());
    type(h.field(), QStringLiteral("Doma"));
    EXPECT_TRUE(h.errorShown()) << "typing keeps the error";
    EXPECT_TRUE(h.button("save")->isEnabled());
    h.accepts = true;
    testsupport::click(h.button("save"));
    EXPECT_EQ(h.names.last(), QStringLiteral("   Doma"));
    EXPECT_FALSE(h.errorShown());

    JarHarness rename(QStringLiteral("Práca"));
    EXPECT_EQ(child<ToolText>(&rename.sheet, "title")->text(), QStringLiteral("Premenovať Jar"));
    EXPECT_EQ(rename.button("save")->look().title, QStringLiteral("Uložiť"));
    EXPECT_EQ(rename.field()->text(), QStringLiteral("Práca"));
    key(rename.field(), Qt::Key_Escape);
    testsupport::click(rename.button("cancel"));
    EXPECT_EQ(rename.cancels, 2);
    EXPECT_TRUE(rename.names.isEmpty());
}

TEST(JarEditorSheet, ItsEdgeStandsOutFromThePanelBehindIt)
{
    // The sheet opens over the panel, whose background it shares: an outline of its own marks
    // where it ends, on every side, in both looks.
    for (const ClipboardAppearance appearance : {ClipboardAppearance::Dark, ClipboardAppearance::Light}) {
        JarEditorSheet sheet(QStringLiteral("Práca"), appearance, [](const QString &) { return true; });
        sheet.resize(sheet.sizeHint());
        const QImage picture = sheet.grab().toImage();
        const int w = picture.width(), h = picture.height();
        const int middleX = w / 2, middleY = h / 2;
        const struct {
            QPoint edge, inside;
        } sides[] = {{{0, middleY}, {3, middleY}}, {{w - 1, middleY}, {w - 4, middleY}}, {{middleX, 0}, {middleX, 3}}, {{middleX, h - 1}, {middleX, h - 4}}};
        for (const auto &side : sides) {
            const int edge = qGray(picture.pixel(side.edge)), inside = qGray(picture.pixel(side.inside));
            const int apart = appearance == ClipboardAppearance::Dark ? edge - inside : inside - edge;
            EXPECT_GE(apart, 6) << rawValue(appearance).toStdString() << " at " << side.edge.x() << ',' << side.edge.y()
                                << ": " << edge << " against " << inside;
        }
    }
}

TEST(ClearSectionAlert, SaysWhatGoesAndClearsOnlyOnItsRedButton)
{
    ScopedLanguage slovak(std::nullopt);
    for (ClearSection section : {ClearSection::History, ClearSection::DeleteJar}) {
        ClearSectionAlert alert(section, ClipboardAppearance::Light);
        int confirmed = 0;
        int cancelled = 0;
        QObject::connect(&alert, &ClearSectionAlert::confirmed, [&] { ++confirmed; });
        QObject::connect(&alert, &ClearSectionAlert::cancelled, [&] { ++cancelled; });
        alert.show();
        EXPECT_EQ(child<ToolText>(&alert, "title")->text(), ClearSectionTexts::title(section));
        PanelButton *confirm = child<PanelButton>(&alert, "confirm");
        EXPECT_EQ(confirm->look().title, section == ClearSection::DeleteJar ? QStringLiteral("Vymazať Jar") : QStringLiteral("Vymazať všetko"));
        EXPECT_TRUE(confirm->look().destructive);
        key(&alert, Qt::Key_Return);
        EXPECT_EQ(confirmed, 0) << "Return does not delete";
        key(&alert, Qt::Key_Escape);
        testsupport::click(child<PanelButton>(&alert, "cancel"));
        EXPECT_EQ(cancelled, 2);
        testsupport::click(confirm);
        EXPECT_EQ(confirmed, 1);
    }
}

} // namespace

TEST(SheetTextBox, ItsScrollBarIsDrawnInTheSheetsLookNeverNearWhiteInTheDark)
{
    // A long text scrolls in the edit and the snippet sheets alike: the bar shows where the user
    // is, in the kit's colours, and in the dark look nothing of it glares.
    constexpr int kLines = 200;
    constexpr int kNearWhite = 200;
    QStringList lines;
    for (int i = 0; i < kLines; ++i)
        lines << QStringLiteral("riadok %1").arg(i);
    const QString longText = lines.join(u'\n');
    for (const ClipboardAppearance appearance : {ClipboardAppearance::Dark, ClipboardAppearance::Light}) {
        EditTextSheet edit(textEntry(longText), longText, appearance, [](const QString &) { return true; });
        SnippetEditorSheet snippet(std::nullopt, longText, appearance,
                                   [](const QString &, const QString &, const QString &) { return true; });
        const struct {
            const char *name;
            QWidget *sheet;
            const char *box;
        } sheets[] = {{"edit", &edit, "editor"}, {"snippet", &snippet, "content"}};
        for (const auto &row : sheets) {
            SCOPED_TRACE(std::string(row.name) + " sheet, " + rawValue(appearance).toStdString());
            row.sheet->resize(row.sheet->sizeHint());
            row.sheet->show();
            SheetTextBox *box = child<SheetTextBox>(row.sheet, row.box);
            ASSERT_TRUE(box);
            if (row.sheet == &snippet)
                testsupport::click(child<PanelButton>(row.sheet, "useLatestCopy"));
            QPlainTextEdit *editor = box->editor();
            ASSERT_EQ(editor->toPlainText(), longText);
            QWidget *bar = editor->verticalScrollBar();
            ASSERT_TRUE(QTest::qWaitFor([bar] { return bar->isVisible(); })) << "a long text scrolls";
            const QImage picture = row.sheet->grab().toImage();
            const QRect area(bar->mapTo(row.sheet, QPoint()), bar->size());
            int lightest = 0, darkest = 255;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x) {
                    lightest = std::max(lightest, qGray(picture.pixel(x, y)));
                    darkest = std::min(darkest, qGray(picture.pixel(x, y)));
                }
            if (appearance == ClipboardAppearance::Dark) {
                EXPECT_LT(lightest, kNearWhite) << "the bar glares";
            }
            EXPECT_GT(lightest - darkest, 8) << "the bar shows where the text is";
        }
    }
}
