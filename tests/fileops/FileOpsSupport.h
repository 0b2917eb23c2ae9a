#pragma once
// Helpers of the file-operation tests: faults injected into the system-call seam and directory
// listings that show hidden temporaries.
#include "platform/SystemCalls.h"

#include "Unprivileged.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

struct Fault {
    SystemCall call;
    int nth;  // the nth call of that kind fails, counting from 1
    int err;  // errno, or kShortWrite
};

// Installs faults for its lifetime; fired() tells whether every one of them was reached, so that
// a test cannot pass because the code took another road.
class ScopedFaults {
public:
    explicit ScopedFaults(std::vector<Fault> faults);
    ~ScopedFaults();
    bool fired() const;

private:
    struct State {
        std::vector<Fault> faults;
        std::vector<int> counts;
        std::vector<bool> fired;
    };
    std::shared_ptr<State> state_;
};

// Every entry of a directory, hidden ones included, sorted by name.
QStringList allEntries(const QString& dir);

// True when both paths lie on one file system.
bool sameFileSystem(const QString& a, const QString& b);
