#pragma once

#include <QByteArray>

// A pipe from a child process to this one; both ends close with the object and are never
// inherited by children (the child gets the write end through ingestSpawn's dup2). One thread.
class IngestPipe
{
public:
    IngestPipe();
    ~IngestPipe();
    IngestPipe(const IngestPipe &) = delete;
    IngestPipe &operator=(const IngestPipe &) = delete;

    bool isOpen() const { return m_read >= 0; }
    int readFd() const { return m_read; }
    int writeFd() const { return m_write; }
    // Once the child has its copy: the reader then sees the end when the child exits.
    void closeWriteEnd();

    // What is there to read now, waiting for some when nothing is; empty at the end.
    QByteArray readSome();
    // What is there to read now, without waiting.
    QByteArray readAvailable();

private:
    int m_read = -1;
    int m_write = -1;
};
