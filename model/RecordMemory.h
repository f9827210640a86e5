#pragma once
// Memory for the blocks mesh chunks are read into. A large block is a
// private mapping of its own, asked for with large pages and faulted in
// whole before the file's bytes are read into it: on a model of millions of
// records, touching fresh memory a page at a time would cost more than
// reading the file. Small blocks come from the ordinary heap.
#include <cstddef>

// At least Bytes bytes (Bytes > 0), suitably aligned for any record;
// raises std::bad_alloc when the system has no memory to give.
void* AllocateRecordMemory(size_t Bytes);
// Gives back a block from AllocateRecordMemory with the same Bytes.
void ReleaseRecordMemory(void* Block, size_t Bytes) noexcept;
