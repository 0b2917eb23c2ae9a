#include "FileOpsSupport.h"

#include <QFile>

#include <sys/stat.h>

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

bool sameFileSystem(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
        && sa.st_dev == sb.st_dev;
}
