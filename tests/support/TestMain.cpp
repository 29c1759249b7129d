#include "ui/style/PanelMotion.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QWidget>
#include <QtGlobal>

namespace {

// Windows a test closed are deleted later, and a queued reaction to a model the test has
// already destroyed may still wait for one of them. They go before the next test starts, and
// with them every event still waiting for them; nothing a test left behind runs inside
// another. A popup a test left open (an actions menu) closes first: open, it would take the
// next test's pointer and keys, and close itself when that test shows a window.
class DeleteWhatTheTestLetGo : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo &) override
    {
        for (int left = 0; left < kMostPopups && QApplication::activePopupWidget(); ++left)
            QApplication::activePopupWidget()->close();
        // Closed windows go before any other event runs: a queued reaction waiting for one of
        // them may reach into the model the test has already destroyed.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // The pointer a test moved goes off every screen: where it rested, a window the next
        // test shows would be told that the pointer crossed it.
        if (QCursor::pos() != kPointerAway) {
            QCursor::setPos(kPointerAway);
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    static constexpr int kMostPopups = 16;
    static constexpr QPoint kPointerAway{-30000, -30000};
};

} // namespace

int main(int argc, char **argv)
{
    // Unit and widget tests draw offscreen; with-x11.sh marks the runs that have a display.
    if (qEnvironmentVariableIsEmpty("TARNEL_TEST_X11") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Views jump to the end of every animation; a test that times one sets the factor itself.
    PanelMotion::setFactor(0);
    ::testing::UnitTest::GetInstance()->listeners().Append(new DeleteWhatTheTestLetGo);
    return RUN_ALL_TESTS();
}
