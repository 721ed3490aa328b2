// Many independent items on a few threads, with their results handed on in the items' order: what
// a batch needs to run its inputs at once yet print and name their outputs exactly as one at a
// time would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Calls work(i) once for every i below `count`, on up to `threads` threads at once (the caller's
// among them), taking the items in ascending order; and commit(i) once for every i, in ascending
// order, as soon as work(0) to work(i) have returned. Commits never overlap one another (they may
// overlap later items' work), so commit needs no lock of its own. Returns when every commit has.
void runParallelInOrder(std::size_t count, std::uint32_t threads, const std::function<void(std::size_t)>& work,
                        const std::function<void(std::size_t)>& commit);
