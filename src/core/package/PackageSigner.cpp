#include "core/package/PackageSigner.h"

#include "core/platform/ToolProcess.h"

#include <cerrno>
#include <fstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace pellora {

namespace {

constexpr std::size_t kReasonLines = 12;

// The tool's output without blank lines and trailing blanks, at most kReasonLines lines.
std::string reasonOf(std::string_view output)
{
    std::string reason;
    std::size_t lines = 0;
    while (!output.empty() && lines < kReasonLines) {
        const std::size_t end = output.find('\n');
        std::string_view line = output.substr(0, end);
        output = end == std::string_view::npos ? std::string_view{} : output.substr(end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (!reason.empty())
            reason += '\n';
        reason += line;
        ++lines;
    }
    return reason;
}

std::string absoluteText(const fs::path& path)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return (ec ? path : absolute).string();
}

} // namespace

PackageSigner::PackageSigner(SigningSettings settings)
    : m_settings(std::move(settings))
{
}

Status PackageSigner::CheckSettings(const SigningSettings& settings)
{
    if (!platform::ToolProcess::OnPath(kToolName))
        return Status::Failure("cannot sign: " + std::string(kToolName) + " is not installed (not found on PATH)");
    std::error_code ec;
    if (fs::is_directory(settings.keyFile, ec))
        return Status::Failure("the key file " + settings.keyFile.string() + " is a folder");
    if (!std::ifstream(settings.keyFile, std::ios::binary))
        return Status::SystemFailure("cannot read the key file " + settings.keyFile.string(), errno);
    std::string password;
    if (!settings.passwordFile.empty())
        return ReadPassword(settings.passwordFile, password);
    return Status::Ok();
}

Status PackageSigner::ReadPassword(const fs::path& file, std::string& password)
{
    password.clear();
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return Status::SystemFailure("cannot read the password file " + file.string(), errno);
    std::string bytes(kPasswordLimit + 2, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        return Status::Failure("cannot read the password file " + file.string());
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    std::size_t end = bytes.find('\n');
    if (end == std::string::npos)
        end = bytes.size();
    if (end > 0 && bytes[end - 1] == '\r')
        --end;
    if (end > kPasswordLimit)
        return Status::Failure("the first line of the password file " + file.string() + " is longer than " +
                               std::to_string(kPasswordLimit) + " bytes");
    password = bytes.substr(0, end);
    return Status::Ok();
}

Status PackageSigner::Sign(const fs::path& input, const fs::path& output)
{
    m_toolReason.clear();
    std::string password;
    if (!m_settings.passwordFile.empty()) {
        if (Status read = ReadPassword(m_settings.passwordFile, password); !read.ok())
            return read;
    }

    // No time-stamp server: signing never leaves this computer.
    std::vector<std::string> arguments = {std::string(kToolName), "sign", "-pkcs12", absoluteText(m_settings.keyFile)};
    // The password goes through a pipe, never onto a command line that other users can read.
    if (!password.empty())
        arguments.insert(arguments.end(), {"-readpass", "/dev/stdin"});
    arguments.insert(arguments.end(), {"-h", "sha256", "-in", absoluteText(input), "-out", absoluteText(output)});
    platform::ToolProcess tool(std::move(arguments));
    tool.SetInput(std::move(password));
    tool.SetTimeout(m_timeout);
    if (m_keepGoing)
        tool.SetKeepGoing(m_keepGoing);
    const platform::ToolProcess::Result result = tool.Run();

    std::error_code ec;
    if (result.status.ok() && fs::is_regular_file(output, ec) && fs::file_size(output, ec) > 0 && !ec)
        return Status::Ok();
    fs::remove(output, ec);
    if (result.status.cancelled())
        return result.status;
    m_toolReason = reasonOf(result.output);
    std::string text = "cannot sign the package with " + m_settings.keyFile.string() + ": ";
    if (!result.status.ok())
        text += result.status.text();
    else
        text += std::string(kToolName) + " wrote no signed package";
    if (!m_toolReason.empty())
        text += ":\n" + m_toolReason;
    return Status::Failure(std::move(text), result.status.systemError());
}

} // namespace pellora
