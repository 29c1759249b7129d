#include "EngineTestSupport.h"

#include "engine/PreferencesLink.h"

#include <gtest/gtest.h>

#include <QMetaMethod>

namespace {

// Every change the settings pages and the guide follow reaches them through the link: a signal
// the link declares but never relays would leave a page showing a stale value.
TEST(PreferencesLink, RelaysEveryChangeItAnnouncesFromTheModel)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    PreferencesLink &link = model.preferences();
    const QMetaObject &linkMeta = PreferencesLink::staticMetaObject;
    const QMetaObject &modelMeta = ClipboardModel::staticMetaObject;
    int relayed = 0;
    for (int i = linkMeta.methodOffset(); i < linkMeta.methodCount(); ++i) {
        const QMetaMethod signal = linkMeta.method(i);
        if (signal.methodType() != QMetaMethod::Signal)
            continue;
        const QByteArray name = signal.methodSignature();
        const int modelIndex = modelMeta.indexOfSignal(name.constData());
        ASSERT_GE(modelIndex, 0) << name.constData() << " has no counterpart in the model";
        QSignalSpy spy(&link, signal);
        ASSERT_TRUE(modelMeta.method(modelIndex).invoke(&model, Qt::DirectConnection));
        EXPECT_EQ(spy.size(), 1) << name.constData() << " is not relayed";
        ++relayed;
    }
    EXPECT_EQ(relayed, 18);
}

TEST(PreferencesLink, ChoicesMadeThroughItAreTheModelsAndAreAnnounced)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    PreferencesLink &link = model.preferences();
    QSignalSpy limit(&link, &PreferencesLink::historyLimitChanged);
    QSignalSpy stack(&link, &PreferencesLink::repeatsPasteStackChanged);
    QSignalSpy language(&link, &PreferencesLink::languageChanged);

    link.setHistoryLimit(50);
    link.setRepeatsPasteStack(!model.repeatsPasteStack());
    link.setLanguage(AppLanguage::En);
    link.setTemporaryMinutes(5);
    link.setIsPrivateMode(true);

    EXPECT_EQ(model.historyLimit(), 50);
    EXPECT_EQ(link.historyLimit(), 50);
    EXPECT_EQ(link.repeatsPasteStack(), model.repeatsPasteStack());
    EXPECT_EQ(model.language(), AppLanguage::En);
    EXPECT_EQ(model.temporaryMinutes(), 5);
    EXPECT_TRUE(model.isPrivateMode());
    EXPECT_EQ(limit.size(), 1);
    EXPECT_EQ(stack.size(), 1);
    EXPECT_EQ(language.size(), 1);

    // A restart reads back what the link chose.
    ClipboardModel &again = h.make();
    EXPECT_EQ(again.preferences().historyLimit(), 50);
    EXPECT_EQ(again.preferences().language(), AppLanguage::En);
}

} // namespace
