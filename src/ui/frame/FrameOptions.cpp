#include "ui/frame/FrameOptions.h"

namespace pellora::ui {

namespace {
std::uint16_t g_language = 0;
std::int32_t g_backImage = 0;
} // namespace

std::uint16_t CurrentLanguage()
{
    return g_language;
}

void SetCurrentLanguage(std::uint16_t language)
{
    g_language = language;
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
