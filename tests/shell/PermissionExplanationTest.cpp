#include "shell/PermissionExplanation.h"
#include "support/ScopedLanguage.h"

#include <QSet>

#include <gtest/gtest.h>

TEST(PermissionExplanation, EachKindExplainsItselfInBothLanguages)
{
    const struct {
        Permissions::Kind kind;
        const char *slovak;
        const char *english;
    } cases[] = {
        {Permissions::Kind::Accessibility, "nevie vložiť položku", "cannot paste an item"},
        {Permissions::Kind::InputMonitoring, "nevidí klávesy", "cannot see keys"},
        {Permissions::Kind::ScreenRecording, "nemôže čítať obrazovku", "cannot read the screen"},
    };
    QSet<QString> seen;
    for (const auto &c : cases) {
        QString slovak;
        {
            ScopedLanguage language(QStringLiteral("sk"));
            slovak = PermissionExplanation::text(c.kind);
        }
        ScopedLanguage language(QStringLiteral("en"));
        const QString english = PermissionExplanation::text(c.kind);
        EXPECT_TRUE(slovak.contains(QString::fromUtf8(c.slovak))) << slovak.toStdString();
        EXPECT_TRUE(english.contains(QString::fromUtf8(c.english))) << "the shipped table translates it: "
                                                                     << english.toStdString();
        EXPECT_FALSE(seen.contains(slovak)) << "each kind has its own text";
        seen.insert(slovak);
    }
}
