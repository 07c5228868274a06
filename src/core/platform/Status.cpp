#include "core/platform/Status.h"

#include <cstring>

namespace pellora {

Status Status::SystemFailure(const std::string& text, int systemError)
{
    return Failure(text + ": " + SystemErrorText(systemError), systemError);
}

std::string SystemErrorText(int systemError)
{
    return std::strerror(systemError);
}

} // namespace pellora
