// Every test program runs inside a QApplication (offscreen unless told otherwise), so widget
// and locale tests need no set-up of their own. ZV_BIN_DIR names the build's program folder.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("ZV_BIN_DIR"))
        qputenv("ZV_BIN_DIR", ZV_BIN_DIR);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
