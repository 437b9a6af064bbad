#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

// Shows that the X11 fixture works: a real X server, a window manager and xdotool.
namespace {

// Runs xdotool and returns its standard output, or nothing when it fails.
std::optional<QString> xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(10'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(X11SmokeTest, aShownWindowMapsAndXdotoolFindsIt) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QString title =
        QStringLiteral("pindrake-x11-smoke-%1").arg(QCoreApplication::applicationPid());
    QWidget window;
    window.setWindowTitle(title);
    window.resize(320, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const auto found =
        xdotool({"search", "--onlyvisible", "--name", QStringLiteral("^%1$").arg(title)});
    ASSERT_TRUE(found.has_value())
        << "xdotool found no visible window named " << title.toStdString();
    const QStringList ids = found->split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_TRUE(ids.contains(QString::number(window.winId()))) << found->toStdString();

    // The window manager is running: it makes the newly mapped window the active one.
    const QString windowId = QString::number(window.winId());
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const auto active = xdotool({"getactivewindow"});
        return active && active->trimmed() == windowId;
    }));
}

}  // namespace
