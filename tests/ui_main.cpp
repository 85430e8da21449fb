#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace
{
// A test that ends with a mouse button down (QTest sends a double click without its release)
// would hand it down to the next tests of the program: the application then believes the
// button held, hints wait for it to be up, drags go on. Each test starts with every button up.
class TRelacheBoutons : public ::testing::EmptyTestEventListener
{
    void OnTestEnd(const ::testing::TestInfo &) override
    {
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            return;
        QWidget Temoin;
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton, Qt::BackButton, Qt::ForwardButton})
            if (QGuiApplication::mouseButtons() & b)
                QTest::mouseRelease(&Temoin, b, {}, QPoint(1, 1));
    }
};
} // namespace

// Widget tests run on the offscreen platform unless a display is asked for explicitly.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new TRelacheBoutons);
    return RUN_ALL_TESTS();
}
