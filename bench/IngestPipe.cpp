#include "IngestPipe.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr qsizetype chunkBytes = 65536;

} // namespace

IngestPipe::IngestPipe()
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) == 0) {
        m_read = ends[0];
        m_write = ends[1];
    }
}

IngestPipe::~IngestPipe()
{
    closeWriteEnd();
    if (m_read >= 0)
        close(m_read);
}

void IngestPipe::closeWriteEnd()
{
    if (m_write >= 0)
        close(m_write);
    m_write = -1;
}

QByteArray IngestPipe::readSome()
{
    QByteArray chunk(chunkBytes, Qt::Uninitialized);
    ssize_t got = -1;
    do
        got = read(m_read, chunk.data(), size_t(chunk.size()));
    while (got < 0 && errno == EINTR);
    chunk.truncate(got > 0 ? qsizetype(got) : 0);
    return chunk;
}

QByteArray IngestPipe::readAvailable()
{
    int available = 0;
    if (ioctl(m_read, FIONREAD, &available) != 0 || available <= 0)
        return {};
    return readSome();
}
