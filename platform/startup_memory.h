#pragma once
// The memory the show's start-up fills: textures, the rasteriser's buffers and whatever the GL
// driver allocates as the window opens. Called once, from the program's thread, before the window.
namespace platform {

// Maps, in advance and in 2 MB pages where the system offers them, the memory the next tens of
// megabytes of allocations will take. Each fresh 4 KB page otherwise costs a page fault on first
// touch: in a virtual machine that is tens of microseconds, and the pictures alone touch 3000.
// Does nothing where the allocator cannot be told to keep large blocks in its own heap.
void prepareStartupMemory();

}  // namespace platform
