#pragma once
// How a program that splits gives memory back. A split holds a few large blocks at once (the values
// read, the plan's pieces, the executor's index of the rows) and frees others while it works (the
// room a block outgrew, an index being built). Called once at the start of main.

namespace split {

// Large blocks are taken from the system one by one and given back as soon as they are freed, so
// that a split's peak is what it holds at once. Without this, glibc raises its threshold for such
// blocks after the first one freed and serves the later ones from its heap, which seldom shrinks.
void ReturnLargeBlocksWhenFreed();

} // namespace split
