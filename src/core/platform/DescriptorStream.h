#pragma once

// A std::ostream over a file descriptor the caller keeps open, for writers that take a stream.

#include "core/platform/FileDescriptor.h"

#include <array>
#include <ostream>
#include <streambuf>

namespace pellora::platform {

class DescriptorStreamBuffer : public std::streambuf {
public:
    explicit DescriptorStreamBuffer(int fd) : m_fd(fd) { setp(m_buffer.data(), m_buffer.data() + m_buffer.size()); }

protected:
    int_type overflow(int_type c) override
    {
        if (sync() != 0)
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* data, std::streamsize size) override
    {
        // Large blocks go straight to the descriptor.
        if (size >= static_cast<std::streamsize>(m_buffer.size())) {
            if (sync() != 0 || !WriteAll(m_fd, data, static_cast<std::size_t>(size)))
                return 0;
            return size;
        }
        return std::streambuf::xsputn(data, size);
    }

    int sync() override
    {
        const std::ptrdiff_t pending = pptr() - pbase();
        if (pending > 0 && !WriteAll(m_fd, pbase(), static_cast<std::size_t>(pending)))
            return -1;
        setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
        return 0;
    }

private:
    int m_fd;
    std::array<char, 64 * 1024> m_buffer{};
};

class DescriptorStream : public std::ostream {
public:
    explicit DescriptorStream(int fd) : std::ostream(nullptr), m_buffer(fd) { rdbuf(&m_buffer); }

private:
    DescriptorStreamBuffer m_buffer;
};

} // namespace pellora::platform
