#pragma once
// How a program that splits takes its memory. A split looks up its tables of values and rows at
// random across tens of megabytes and builds them as it goes: with the system's small pages, most of
// those look-ups wait on a walk of the page tables and every fresh small page is a fault. Called once
// at the start of main.

namespace split {

// On Linux with glibc, the heap's first step is 64 MB, marked for huge pages (MADV_HUGEPAGE, which
// Linux honours where transparent huge pages are "always" or "madvise") and kept rather than given
// back, and blocks up to glibc's largest threshold (32 MB) are served from the heap rather than
// mapped one by one. Where the address space is too tight for the step, the heap grows as before.
// Elsewhere it does nothing.
void TakeMemoryInHugePages();

} // namespace split
