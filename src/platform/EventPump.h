#pragma once
// Long passes let pending window messages through between entries, but at most about every 15 ms,
// so a pass over 100,000 entries is not slowed down while Escape and Space still stop it at once.

// Processes pending events when at least 15 ms have passed since the last call that did.
void pumpEvents();
// Processes pending events now.
void pumpEventsNow();
