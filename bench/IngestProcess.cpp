#include "IngestProcess.h"

#include <QCoreApplication>
#include <QFile>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char **environ;

namespace {

IngestChild spawnWith(const QStringList &arguments, posix_spawn_file_actions_t &actions)
{
    std::vector<QByteArray> storage;
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    IngestChild child;
    if (posix_spawnp(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

double seconds(const timeval &time)
{
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

} // namespace

IngestChild ingestSpawn(const QStringList &arguments, int stdoutFd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    return spawnWith(arguments, actions);
}

IngestChild ingestSpawnSilenced(const QStringList &arguments)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    return spawnWith(arguments, actions);
}

IngestChild ingestSpawnSelf(const QStringList &arguments, int stdoutFd)
{
    return ingestSpawn(QStringList{QCoreApplication::applicationFilePath()} + arguments, stdoutFd);
}

rusage ingestWaitFor(const IngestChild &child)
{
    rusage usage{};
    int status = 0;
    if (child.pid > 0)
        wait4(child.pid, &status, 0, &usage);
    return usage;
}

double ingestCpuSeconds(const rusage &usage)
{
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long ingestPeakResidentKilobytes(pid_t pid)
{
    QFile status(pid > 0 ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}
