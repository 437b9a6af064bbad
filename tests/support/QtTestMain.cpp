#include <QApplication>

#include <gtest/gtest.h>

// Entry point of widget and X11 tests: widgets need a QApplication before the first test runs.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
