#pragma once

// main() of every test suite. Before the application object exists it
// selects the offscreen platform and a silent SDL audio driver (unless the
// suite asked for another one, such as the disk driver) and points
// XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR at fresh temporary
// folders, so a suite never reads or writes the user's own settings, data
// or session sockets.

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

#define PARLOWEN_TEST_MAIN(TestClass)                                          \
    int main(int argc, char **argv)                                            \
    {                                                                          \
        qputenv("QT_QPA_PLATFORM", "offscreen");                               \
        if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))                    \
            qputenv("SDL_AUDIODRIVER", "dummy");                               \
        QTemporaryDir configHome;                                              \
        QTemporaryDir dataHome;                                                \
        QTemporaryDir runtimeDir;                                              \
        if (!configHome.isValid() || !dataHome.isValid()                       \
            || !runtimeDir.isValid())                                          \
            return EXIT_FAILURE;                                               \
        qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());           \
        qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());               \
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());           \
        QApplication app(argc, argv);                                          \
        app.setAttribute(Qt::AA_Use96Dpi, true);                               \
        TestClass test;                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                             \
        return QTest::qExec(&test, argc, argv);                                \
    }
