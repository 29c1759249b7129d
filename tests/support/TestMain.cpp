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
    return RUN_ALL_TESTS();
}
