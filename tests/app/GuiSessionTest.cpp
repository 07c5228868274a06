#include "app/GuiSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace pellora {
namespace {

// Sets the display variables for one test and puts the old values back afterwards.
class DisplayEnvironment {
public:
    DisplayEnvironment()
    {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
            unsetenv(name);
        }
    }
    ~DisplayEnvironment()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    void set(const char* name, const char* value) { setenv(name, value, 1); }

private:
    static constexpr const char* kNames[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
    std::map<std::string, std::optional<std::string>> m_saved;
};

TEST(GuiSessionTest, WithoutPlatformChoiceTheDesktopVariablesDecide)
{
    DisplayEnvironment environment;
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::None);
    environment.set("DISPLAY", "");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::None);
    environment.set("DISPLAY", ":0");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::Visible);
    unsetenv("DISPLAY");
    environment.set("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::Visible);
}

TEST(GuiSessionTest, AChosenPlatformDecidesWithItsOwnNeeds)
{
    DisplayEnvironment environment;
    environment.set("QT_QPA_PLATFORM", "offscreen");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::Hidden);
    environment.set("QT_QPA_PLATFORM", "minimal:enable_fonts");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::Hidden);
    environment.set("QT_QPA_PLATFORM", "xcb");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::None); // no X display to talk to
    environment.set("DISPLAY", ":1");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::Visible);
    environment.set("QT_QPA_PLATFORM", "wayland");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::None);
    environment.set("QT_QPA_PLATFORM", "linuxfb");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::Visible);
}

TEST(GuiSessionTest, APlatformListTakesTheFirstThatCanWork)
{
    DisplayEnvironment environment;
    environment.set("QT_QPA_PLATFORM", "wayland;xcb;offscreen");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::Hidden);
    environment.set("DISPLAY", ":0");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::Visible);
    environment.set("QT_QPA_PLATFORM", ";;");
    EXPECT_EQ(DisplayFromEnvironment(), DisplayKind::None);
}

TEST(GuiSessionTest, NoApplicationIsMadeWithoutADisplay)
{
    DisplayEnvironment environment;
    GuiSession session("pellora");
    EXPECT_EQ(session.Ensure(), nullptr);
    EXPECT_EQ(session.application(), nullptr);
    EXPECT_EQ(CurrentDisplay(), DisplayKind::None);
}

TEST(GuiSessionTest, TheApplicationIsMadeOnceOnTheChosenPlatform)
{
    DisplayEnvironment environment;
    environment.set("QT_QPA_PLATFORM", "offscreen");
    GuiSession session("");
    QApplication* application = session.Ensure();
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(session.Ensure(), application);
    EXPECT_EQ(QGuiApplication::platformName(), "offscreen");
    EXPECT_EQ(CurrentDisplay(), DisplayKind::Hidden);
    // Qt takes none of the program's switches.
    EXPECT_EQ(QCoreApplication::arguments().size(), 1);
}

} // namespace
} // namespace pellora
