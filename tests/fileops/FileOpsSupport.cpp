#include "FileOpsSupport.h"

#include <QFile>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

ScopedFaults::ScopedFaults(std::vector<Fault> faults) : state_(std::make_shared<State>())
{
    state_->faults = std::move(faults);
    state_->counts.assign(state_->faults.size(), 0);
    state_->fired.assign(state_->faults.size(), false);
    std::shared_ptr<State> s = state_;
    setSystemCallFault([s](SystemCall call) {
        int result = 0;
        for (size_t i = 0; i < s->faults.size(); ++i) {
            if (s->faults[i].call != call)
                continue;
            if (++s->counts[i] == s->faults[i].nth) {
                s->fired[i] = true;
                result = s->faults[i].err;
            }
        }
        return result;
    });
}

ScopedFaults::~ScopedFaults() { setSystemCallFault({}); }

bool ScopedFaults::fired() const
{
    for (bool f : state_->fired)
        if (!f)
            return false;
    return true;
}

QStringList allEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

int runUnprivileged(const std::function<int()>& f)
{
    if (::geteuid() != 0)
        return f();
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        constexpr uid_t kNobody = 65534;
        constexpr gid_t kNogroup = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNogroup) != 0 || ::setuid(kNobody) != 0)
            ::_exit(255);
        ::_exit(f() & 0xFF);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

bool sameFileSystem(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
        && sa.st_dev == sb.st_dev;
}
