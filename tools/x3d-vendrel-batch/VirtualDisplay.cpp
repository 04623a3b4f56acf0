#include "VirtualDisplay.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vendrel {

namespace {

volatile sig_atomic_t displayPid = -1;

/// Ends the display with the tool on Ctrl+C, SIGTERM and SIGHUP, then ends the tool as the signal would.
void endDisplayAndExit(int signal)
{
    if (displayPid > 0)
        ::kill(displayPid, SIGTERM);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

bool VirtualDisplay::ensure(QString* error)
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        return true;
    int fds[2];
    if (::pipe(fds) != 0) {
        *error = QStringLiteral("Couldn't start a virtual display: no pipe");
        return false;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        *error = QStringLiteral("Couldn't start a virtual display: no process");
        return false;
    }
    if (pid == 0) {
        // Killed with the tool, even by SIGKILL, which no handler sees.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(0); // the tool died before the request took
        ::close(fds[0]);
        // Xvfb writes the display number it chose to this descriptor once it accepts connections.
        const QByteArray fd = QByteArray::number(fds[1]);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", "1280x1024x24", "-nolisten",
                 "tcp", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    m_pid = pid;
    displayPid = pid;
    struct sigaction action = {};
    action.sa_handler = endDisplayAndExit;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    QByteArray number;
    pollfd waiting{fds[0], POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&waiting, 1, 15000);
        if (ready <= 0)
            break;
        char c = 0;
        const ssize_t got = ::read(fds[0], &c, 1);
        if (got <= 0 || c == '\n')
            break;
        number.append(c);
    }
    ::close(fds[0]);
    bool ok = false;
    number.toInt(&ok);
    if (!ok) {
        *error = QStringLiteral("Couldn't start a virtual display (is Xvfb installed?)");
        return false;
    }
    qputenv("DISPLAY", ":" + number);
    return true;
}

VirtualDisplay::~VirtualDisplay()
{
    if (m_pid <= 0)
        return;
    displayPid = -1;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 50; ++i) {
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
            return;
        ::usleep(100'000);
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, &status, 0);
}

} // namespace vendrel
