// Qt's own dialogs speak the interface language and switch with it.
#include "shell/QtTranslations.h"
#include "support/SeededModel.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>

#include <gtest/gtest.h>

using testsupport::SeededModel;

TEST(QtTranslations, QtsOwnTextsFollowTheInterfaceLanguage)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setLanguage(AppLanguage::Sk);
    QtTranslations translations(model);
    ASSERT_TRUE(translations.isInstalled()) << "no Slovak translation of Qt in " << QtTranslations::folder().toStdString();

    // A file dialog drawn by Qt itself, as the save dialog is without a desktop portal.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto *lookIn = dialog.findChild<QLabel *>(QStringLiteral("lookInLabel"));
    ASSERT_TRUE(lookIn);
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    EXPECT_NE(lookIn->text(), QStringLiteral("Look in:"));
    EXPECT_FALSE(lookIn->text().isEmpty());
    EXPECT_NE(cancel(), QStringLiteral("Cancel"));

    // The open dialog follows a change of language, both ways.
    model.setLanguage(AppLanguage::En);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_FALSE(translations.isInstalled());
    EXPECT_EQ(lookIn->text(), QStringLiteral("Look in:"));
    EXPECT_EQ(cancel(), QStringLiteral("Cancel"));
    model.setLanguage(AppLanguage::Sk);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_NE(lookIn->text(), QStringLiteral("Look in:"));
}
