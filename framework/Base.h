#pragma once
// Common ground of the framework layer: Windows types, the opaque position of the list and map
// iterators, and the assertion macros. Everything else in framework/ includes this first.

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Iteration handle of CList and CMap: an opaque pointer, null past the end.
struct __POSITION {};
typedef __POSITION* POSITION;

#ifdef _DEBUG
#include <cassert>
#define ASSERT(f) assert(f)
#define VERIFY(f) assert(f)
#else
#define ASSERT(f) ((void)0)
#define VERIFY(f) ((void)(f))
#endif
