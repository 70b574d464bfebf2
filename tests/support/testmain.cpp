#include <QCoreApplication>

#include <gtest/gtest.h>

// Test programs that need widgets define their own main with a QApplication;
// this one is used by everything else.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
