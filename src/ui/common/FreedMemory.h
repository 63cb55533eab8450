#pragma once

// Hands memory the program has freed back to the system where the C
// library keeps it otherwise: after a large run or a large removal the
// heap holds tens of megabytes nobody uses. Costs a few milliseconds.
void ReturnFreedMemory();

// Pins the C library's thresholds at their starting values. Left to adapt,
// they rise after the first large buffer is freed, and each worker thread's
// heap then keeps a megabyte or more for good, which no trim gives back.
// Call first thing in main, before any thread starts.
void KeepFreedMemoryReturnable();
