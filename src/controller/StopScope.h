#pragma once
// The stop flag of long passes (thumbnail and zone page builds, batch passes, conversions): a pass
// runs while the flag holds, and Escape or Space clears it. One pass at a time holds the flag; a
// second pass started while one runs (it lets events through) shares it, and whichever ends first
// clears it for both.

class StopFlag {
public:
    bool running() const { return running_; }
    // Escape and Space.
    void stop() { running_ = false; }

private:
    friend class StopScope;
    bool running_ = false;
};

// Sets the flag for the length of one pass and clears it however the pass ends.
class StopScope {
public:
    explicit StopScope(StopFlag& flag);
    ~StopScope();
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

    bool running() const { return flag_.running(); }
    // Lets pending events through (at most about every 15 ms, so that a pass over 100,000 entries
    // is not slowed down) and tells whether the pass may go on.
    bool keepGoing();

private:
    StopFlag& flag_;
};
