#include <QGuiApplication>
#include <gtest/gtest.h>

// Core tests run without a display; a GUI application on the offscreen platform lets them draw
// text into pictures (the placeholders) as the program does.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
