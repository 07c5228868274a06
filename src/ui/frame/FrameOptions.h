#pragma once

// The process-wide options the main frame switches while the program runs: the language and the watermark.

#include <cstdint>
#include <functional>

namespace pellora::ui {

// The language of the string table in use (0 = the neutral table).
std::uint16_t CurrentLanguage();
void SetCurrentLanguage(std::uint16_t language);
// What else follows the language (Qt's own translations): called with the new language on every
// SetCurrentLanguage, the start's and each switch's. One follower; an empty function removes it.
void SetLanguageFollower(std::function<void(std::uint16_t)> follower);

// The watermark option ("BackImage"): the start loads it, the frame toggles it, the exit saves it.
std::int32_t BackImageOption();
void SetBackImageOption(std::int32_t value);
inline bool IsWatermarkOn()
{
    return BackImageOption() != 0;
}

} // namespace pellora::ui
