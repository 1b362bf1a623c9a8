#pragma once

// Bounded waits that keep the program alive: while the program waits for the
// plant (a good quality at the start of a run, before and after a write to
// the controller) the event queue goes on, so deliveries arrive, windows
// repaint and the user's input is taken.

#include <functional>

// One turn of the event queue, about 10 ms long without spinning the processor.
void PumpEvents();

// Pumps the event queue until `done` holds or `timeoutMs` have passed;
// `done` is tested at least once. Returns whether it held.
bool WaitWithEvents(const std::function<bool()>& done, int timeoutMs);

// The same wait with the pump and the millisecond clock given: pump, test;
// again until the test holds or timeoutMs have passed.
bool WaitUntil(const std::function<bool()>& done, const std::function<void()>& pump,
               const std::function<long long()>& nowMs, int timeoutMs);
