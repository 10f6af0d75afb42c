#include "vncdisplay.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const int kStartSeconds = 15;

bool parsePort(const QString& text, int& port)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1 || value > 65535)
        return false;
    port = value;
    return true;
}

// The last lines the server wrote, which say why it stopped.
QString tail(FILE* output)
{
    if (!output)
        return {};
    std::fflush(output);
    std::rewind(output);
    QByteArray text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, output)) > 0)
        text.append(buffer, static_cast<qsizetype>(got));
    QStringList lines;
    for (const QByteArray& line : text.split('\n'))
        if (!line.trimmed().isEmpty())
            lines << QString::fromLocal8Bit(line.trimmed());
    return lines.mid(qMax(0, lines.size() - 3)).join(QStringLiteral(" / "));
}

} // namespace

VncDisplay::Request VncDisplay::request(const QStringList& arguments)
{
    Request r;
    for (const QString& argument : arguments) {
        for (const QString& option : {QStringLiteral("--vnc"), QStringLiteral("--vnc-public")}) {
            if (argument != option && !argument.startsWith(option + QLatin1Char('=')))
                continue;
            r.asked = true;
            r.everyAddress = option.endsWith(QLatin1String("public"));
            r.port = kDefaultPort;
            if (argument != option && !parsePort(argument.mid(option.size() + 1), r.port))
                r.error = QStringLiteral("%1: the port must be a number from 1 to 65535.").arg(argument);
        }
    }
    return r;
}

QStringList VncDisplay::serverArguments(const Request& request, int displayFd)
{
    // Each option beside its value.
    // clang-format off
    QStringList args{QStringLiteral("-displayfd"), QString::number(displayFd),
                     QStringLiteral("-rfbport"), QString::number(request.port),
                     QStringLiteral("-geometry"), QStringLiteral("1280x800"),
                     QStringLiteral("-depth"), QStringLiteral("24"),
                     QStringLiteral("-desktop"), QStringLiteral("Scorvane Rodeo"),
                     QStringLiteral("-SecurityTypes"), QStringLiteral("None"),
                     // The X display itself is reached through its local socket only.
                     QStringLiteral("-nolisten"), QStringLiteral("tcp")};
    // clang-format on
    if (!request.everyAddress)
        args << QStringLiteral("-localhost");
    return args;
}

QString VncDisplay::servingMessage(const Request& request)
{
    const QString port = QString::number(request.port);
    if (request.everyAddress)
        return QStringLiteral(
                   "scorvane-rodeo: WARNING: serving the window on port %1 of every address of this "
                   "machine (vnc://<this machine>:%1), with no password: anyone who can reach the "
                   "machine can operate the program. Without --vnc-public it listens on 127.0.0.1 "
                   "only.")
            .arg(port);
    return QStringLiteral(
               "scorvane-rodeo: serving the window on vnc://127.0.0.1:%1 (this machine only; from "
               "another: ssh -L %1:127.0.0.1:%1 <this machine>, then a VNC viewer on 127.0.0.1::%1)")
        .arg(port);
}

VncDisplay::~VncDisplay()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
}

bool VncDisplay::start(const Request& request, QString& error)
{
    const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvnc"));
    if (server.isEmpty()) {
        error = QStringLiteral("--vnc needs Xvnc, which is not installed (Debian package "
                               "tigervnc-standalone-server).");
        return false;
    }

    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        error =
            QStringLiteral("Xvnc could not be started: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    FILE* output = std::tmpfile(); // what the server says, shown if it fails

    std::vector<QByteArray> args{server.toLocal8Bit()};
    for (const QString& a : serverArguments(request, ready[1]))
        args.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const int outputFd = output ? ::fileno(output) : -1;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The server goes when the program goes, however it ends.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        ::fcntl(ready[1], F_SETFD, 0); // kept open across exec: the server writes its display there
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(outputFd >= 0 ? outputFd : null, STDOUT_FILENO);
        ::dup2(outputFd >= 0 ? outputFd : null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(ready[1]);
    if (pid < 0) {
        ::close(ready[0]);
        if (output)
            std::fclose(output);
        error =
            QStringLiteral("Xvnc could not be started: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_pid = pid;

    // The display number arrives on the pipe once the server takes connections;
    // an end of the pipe without it means the server stopped.
    QByteArray number;
    QDeadlineTimer deadline(kStartSeconds * 1000);
    while (!number.endsWith('\n') && !deadline.hasExpired()) {
        pollfd p{ready[0], POLLIN, 0};
        const int n = ::poll(&p, 1, static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        char c;
        const ssize_t got = ::read(ready[0], &c, 1);
        if (got <= 0)
            break;
        number.append(c);
    }
    ::close(ready[0]);

    bool ok = false;
    const int display = number.trimmed().toInt(&ok);
    if (!number.endsWith('\n') || !ok) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        const QString said = tail(output);
        error = QStringLiteral("Xvnc did not start on port %1%2")
                    .arg(request.port)
                    .arg(said.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + said);
        if (output)
            std::fclose(output);
        return false;
    }
    if (output)
        std::fclose(output);
    m_display = QStringLiteral(":%1").arg(display);
    qputenv("DISPLAY", m_display.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}
