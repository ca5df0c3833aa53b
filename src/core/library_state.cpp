// library_state.cpp - the one instance of LibraryState.
#include "core/library_state.h"

#include <new>

namespace zyn::core {

namespace {
// Constructed in place so that a reset can destroy and rebuild it without copying handles.
alignas(LibraryState) unsigned char storage[sizeof(LibraryState)];
LibraryState* instance = new (storage) LibraryState();
} // namespace

LibraryState& libraryState() { return *instance; }

void resetLibraryState() {
    instance->~LibraryState();
    instance = new (storage) LibraryState();
}

} // namespace zyn::core
