// Jars, pins, text edits, deletion and pasting the field names of JSON.
#include "EngineTestSupport.h"

namespace pastetest {
namespace {

QStringList namesOf(const QList<ClipboardJar> &jars)
{
    QStringList names;
    for (const ClipboardJar &jar : jars)
        names.append(jar.name);
    return names;
}

TEST_F(PasteModelTest, JarNamesAreTrimmedAndUniqueRegardlessOfCase)
{
    createModel();
    struct Case {
        const char *name;
        std::function<bool(ClipboardModel &)> step;
        bool accepted;
        QStringList names;
    };
    auto idOf = [this](const QString &name) {
        for (const ClipboardJar &jar : model->jars())
            if (jar.name == name)
                return jar.id;
        return QString();
    };
    const Case cases[] = {
        {"create trimmed", [](ClipboardModel &m) { return m.createJar("  Práca \n"); }, true, {"Práca"}},
        {"create in other case", [](ClipboardModel &m) { return m.createJar("PRÁCA"); }, false, {"Práca"}},
        {"create blank", [](ClipboardModel &m) { return m.createJar(" \n\t"); }, false, {"Práca"}},
        {"rename to own name in other case", [&](ClipboardModel &m) { return m.renameJar(idOf("Práca"), "práca"); },
         true, {"práca"}},
        {"create newest first", [](ClipboardModel &m) { return m.createJar("Domov"); }, true, {"Domov", "práca"}},
        {"rename to another's name", [&](ClipboardModel &m) { return m.renameJar(idOf("práca"), " domov "); }, false,
         {"Domov", "práca"}},
        {"rename trimmed", [&](ClipboardModel &m) { return m.renameJar(idOf("Domov"), " Doma "); }, true,
         {"Doma", "práca"}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.step(*model), c.accepted) << c.name;
        EXPECT_EQ(namesOf(model->jars()), c.names) << c.name;
        EXPECT_EQ(namesOf(storedJars()), c.names) << c.name;
    }
    // With an empty search every Jar shows, the new one first; a search matches in any case.
    EXPECT_EQ(namesOf(model->filteredJars()), (QStringList{"Doma", "práca"}));
    model->setSearchText("PRÁ");
    EXPECT_EQ(namesOf(model->filteredJars()), QStringList{"práca"});
    EXPECT_FALSE(model->selectedJarID().has_value());
}

TEST_F(PasteModelTest, PinsAndTextEditsChangeOnlyTheirEntry)
{
    ClipboardEntry image = textEntry("img", "");
    image.kind = ClipboardKind::Image;
    seedHistory({textEntry("t", "hello"), image});
    createModel();
    model->togglePin(textEntry("t"));
    EXPECT_TRUE(model->entries().first().isPinned);
    EXPECT_TRUE(storedHistory().first().isPinned);
    EXPECT_TRUE(model->clipboardEntries().size() == 1 && model->clipboardEntries().first().id == "img");

    struct Case {
        const char *name;
        ClipboardEntry target;
        QString text;
        QString expectedText;
        ClipboardKind expectedKind;
        bool holdsText;
    };
    const Case cases[] = {
        {"to a web address", textEntry("t", "hello"), "https://example.org/x", "https://example.org/x", ClipboardKind::Url, true},
        {"to empty does nothing", textEntry("t"), "", "https://example.org/x", ClipboardKind::Url, false},
        {"to the same text keeps it", textEntry("t"), "https://example.org/x", "https://example.org/x", ClipboardKind::Url, true},
        {"to spaces is allowed", textEntry("t"), "  ", "  ", ClipboardKind::Text, true},
        {"of an entry that left the history", textEntry("gone"), "kept?", "  ", ClipboardKind::Text, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(model->updateEntryText(c.target, c.text), c.holdsText) << c.name;
        EXPECT_EQ(model->entries().first().text, c.expectedText) << c.name;
        EXPECT_EQ(model->entries().first().kind, c.expectedKind) << c.name;
        EXPECT_EQ(storedHistory().first().text, c.expectedText) << c.name;
    }
    // Pin and identity survive an edit; images are not edited.
    EXPECT_TRUE(model->entries().first().isPinned);
    EXPECT_FALSE(model->updateEntryText(image, "text"));
    EXPECT_EQ(model->entries().at(1).text, QString(""));
    // A caller's copy that claims to be text does not turn the image into text.
    ClipboardEntry claimsText = image;
    claimsText.kind = ClipboardKind::Text;
    EXPECT_FALSE(model->updateEntryText(claimsText, "text"));
    EXPECT_EQ(model->entries().at(1).kind, ClipboardKind::Image);
    EXPECT_EQ(model->entries().at(1).text, QString(""));
    model->togglePin(textEntry("missing"));
    EXPECT_EQ(model->entries().size(), 2);
}

TEST_F(PasteModelTest, DeletingAnEntryLeavesNoReferenceBehind)
{
    seedHistory({textEntry("b"), textEntry("a")});
    seedPasteStack({"a", "b"});
    seedConsumed({"a"});
    seedJars({{"J1", "One", {"a", "b"}}, {"J2", "Two", {"a"}}});
    createModel();
    model->setSelectedEntryID(QStringLiteral("a"));
    model->deleteEntry(textEntry("a"));
    EXPECT_EQ(idsOf(model->entries()), QStringList{"b"});
    EXPECT_EQ(model->pasteStackEntryIDs(), QStringList{"b"});
    EXPECT_TRUE(model->consumedEntryIDs().isEmpty());
    EXPECT_EQ(model->jars().at(0).entryIDs, QStringList{"b"});
    EXPECT_TRUE(model->jars().at(1).entryIDs.isEmpty());
    EXPECT_FALSE(model->selectedEntryID().has_value());
    EXPECT_EQ(idsOf(storedHistory()), QStringList{"b"});
    EXPECT_EQ(storedPasteStack(), QStringList{"b"});
    EXPECT_TRUE(storedConsumed().isEmpty());
    EXPECT_EQ(storedJars().at(0).entryIDs, QStringList{"b"});
}

} // namespace
} // namespace pastetest
