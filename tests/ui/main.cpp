// Widget tests run on a real QApplication, on the offscreen platform unless one is chosen.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/qt_support.hpp"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qivra::InstallFontSubstitutions();
    return RUN_ALL_TESTS();
}
