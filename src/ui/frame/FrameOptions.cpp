#include "ui/frame/FrameOptions.h"

#include <utility>

namespace pellora::ui {

namespace {
std::uint16_t g_language = 0;
std::int32_t g_backImage = 0;
std::function<void(std::uint16_t)> g_languageFollower;
} // namespace

std::uint16_t CurrentLanguage()
{
    return g_language;
}

void SetCurrentLanguage(std::uint16_t language)
{
    g_language = language;
    if (g_languageFollower)
        g_languageFollower(language);
}

void SetLanguageFollower(std::function<void(std::uint16_t)> follower)
{
    g_languageFollower = std::move(follower);
}

std::int32_t BackImageOption()
{
    return g_backImage;
}

void SetBackImageOption(std::int32_t value)
{
    g_backImage = value;
}

} // namespace pellora::ui
