#pragma once
// Tests of "permission denied" must run as an ordinary user: root may read and write anything.
#include <functional>

// Runs f as the user nobody when the tests run as root (in a child process, so the test keeps its
// rights), else directly. Returns f's result (0 to 254), or -1 when the child could not run or
// report. The files f touches must be reachable by nobody (folders of mode 0755 or so).
int runUnprivileged(const std::function<int()>& f);
