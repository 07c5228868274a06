#pragma once

// Standard streams over a file descriptor the caller keeps open: an output stream for writers that take a
// stream, a seekable input stream over a regular file for readers that take one.

#include "core/platform/FileDescriptor.h"

#include <array>
#include <cerrno>
#include <istream>
#include <ostream>
#include <streambuf>

#include <sys/stat.h>

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

// Reads with pread from the descriptor's own positions, so that seeking costs no system call.
class DescriptorInputBuffer : public std::streambuf {
public:
    explicit DescriptorInputBuffer(int fd) : m_fd(fd)
    {
        struct stat info {};
        if (::fstat(fd, &info) == 0)
            m_size = info.st_size;
        setg(m_buffer.data(), m_buffer.data(), m_buffer.data());
    }

protected:
    int_type underflow() override
    {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        m_start += egptr() - eback();
        ssize_t got = 0;
        do
            got = ::pread(m_fd, m_buffer.data(), m_buffer.size(), m_start);
        while (got < 0 && errno == EINTR);
        if (got <= 0) {
            setg(m_buffer.data(), m_buffer.data(), m_buffer.data());
            return traits_type::eof();
        }
        setg(m_buffer.data(), m_buffer.data(), m_buffer.data() + got);
        return traits_type::to_int_type(*gptr());
    }

    pos_type seekoff(off_type offset, std::ios_base::seekdir direction, std::ios_base::openmode) override
    {
        const off_type here = m_start + (gptr() - eback());
        const off_type base = direction == std::ios_base::beg ? 0 : direction == std::ios_base::cur ? here : m_size;
        return seekpos(base + offset, std::ios_base::in);
    }

    pos_type seekpos(pos_type position, std::ios_base::openmode) override
    {
        const off_type target = position;
        if (target < 0)
            return pos_type(off_type(-1));
        // Within the bytes at hand only the read position moves.
        if (target >= m_start && target <= m_start + (egptr() - eback())) {
            setg(eback(), eback() + (target - m_start), egptr());
        } else {
            m_start = target;
            setg(m_buffer.data(), m_buffer.data(), m_buffer.data());
        }
        return position;
    }

private:
    int m_fd;
    off_type m_size = 0;
    off_type m_start = 0; // file position of eback()
    std::array<char, 64 * 1024> m_buffer{};
};

class DescriptorInputStream : public std::istream {
public:
    explicit DescriptorInputStream(int fd) : std::istream(nullptr), m_buffer(fd) { rdbuf(&m_buffer); }

private:
    DescriptorInputBuffer m_buffer;
};

} // namespace pellora::platform
