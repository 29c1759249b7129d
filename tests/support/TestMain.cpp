#include "ui/style/PanelMotion.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QtGlobal>

int main(int argc, char **argv)
{
    // Unit and widget tests draw offscreen; with-x11.sh marks the runs that have a display.
    if (qEnvironmentVariableIsEmpty("TARNEL_TEST_X11") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Views jump to the end of every animation; a test that times one sets the factor itself.
    PanelMotion::setFactor(0);
    return RUN_ALL_TESTS();
}
