#include <QCoreApplication>
#include <gtest/gtest.h>

// Core tests run without a display but some use Qt's event loop or QImage.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
