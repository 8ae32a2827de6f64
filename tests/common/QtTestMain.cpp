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
    // So do the settings and the socket of a window: never the person's own.
    char config[] = "/tmp/torvel-test-config-XXXXXX";
    if (::mkdtemp(config) != nullptr) {
        ::setenv("XDG_CONFIG_HOME", config, 1);
        ::setenv("XDG_RUNTIME_DIR", config, 1);
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    const int failed = RUN_ALL_TESTS();
    std::filesystem::remove_all(state);
    std::filesystem::remove_all(config);
    return failed;
}
