// Test entry point for the layers with widgets: one QApplication for the whole
// run, on the offscreen platform so that the tests need no display.
#include <QApplication>
#include <QFont>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Run journals of the window's runs go to a folder of this test run's own.
    char state[] = "/tmp/torvel-test-state-XXXXXX";
    if (::mkdtemp(state) != nullptr)
        ::setenv("XDG_STATE_HOME", state, 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    const int failed = RUN_ALL_TESTS();
    std::filesystem::remove_all(state);
    return failed;
}
