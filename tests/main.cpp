#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

/// Points the configuration folder at a new temporary folder before each test and removes it after.
class FreshConfigFolder : public testing::EmptyTestEventListener
{
public:
    void OnTestStart(const testing::TestInfo&) override
    {
        m_folder = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_folder->path().toUtf8());
    }
    void OnTestEnd(const testing::TestInfo&) override { m_folder.reset(); }

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

} // namespace

int main(int argc, char** argv)
{
    // Widget tests run under Xvfb; without a display the logic tests still run, offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("X3D Vendrel Tests"));
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshConfigFolder);
    return RUN_ALL_TESTS();
}
