// admission.cpp - the status tests of a data call and the attach on demand.
#include "exchange/admission.h"

#include <utility>

#include "config/ini_file_lock.h"
#include "config/loader.h"
#include "core/library_state.h"
#include "core/service_status.h"
#include "exchange/section_attach.h"
#include "trvzyn32.h"

namespace zyn::exchange {

namespace {

// Maps the section and rebuilds the tables from zyn.ini, as a start does, or leaves the library
// as it was before: a failed attempt keeps the tables the queries answer from and no view, so
// that the next data call tries again. Under the exclusive state lock.
void attachAndReload(core::LibraryState& state, OpenedSection opened) {
    const bool handleWasHeld = holdsSection(state);
    const platform::ObjectNamespace namespaceBefore = state.sectionNamespace;
    attachSection(state, std::move(opened));
    if (isAttached(state) && config::ReloadConfiguration(state, true, config::FailedReload::KeepsTables) == ZYN_OK) {
        return;
    }
    state.view.reset();
    if (handleWasHeld) return;
    state.mappingHandle.reset();
    state.sectionNamespace = namespaceBefore;
    config::rechooseIniMutexIfMoved(state);
}

// One attempt, without pausing, to attach to the running service's section: through the mapping
// handle held (`handleSeen` says whether there was one under the shared lock), else through one
// opening of the section, outside the lock. What to attach is decided under the exclusive lock,
// on what holds then: a view another thread mapped meanwhile stays, so the page addresses handed
// out from it stay valid, and a handle that a stop let go of meanwhile is replaced by an opening.
void attachOnDemand(core::LibraryState& state, bool handleSeen) {
    OpenedSection opened;
    if (!handleSeen) {
        opened = openSection();
        if (!opened.handle) return;
    }
    const bool handleGone = core::replaceState(state, [&] {
        if (isAttached(state)) return false;
        if (!holdsSection(state) && !opened.handle) return true;
        attachAndReload(state, std::move(opened));
        return false;
    });
    if (handleGone) attachOnDemand(state, false);
}

} // namespace

int32_t admitDataCall(core::LibraryState& state, core::SharedStateLock& held) {
    // The status tests read only what the load set once and the kept manager handle, which
    // threads share without a lock: a pending service's polls hold up no other call.
    if (int32_t refused = core::checkServiceRunning(state); refused != ZYN_OK) return refused;
    held.lock();
    // A platform without the Service Control Manager attaches nothing, as at load.
    if (isAttached(state) || state.platformIsNt == 0) return ZYN_OK;
    const bool handleSeen = holdsSection(state);
    held.unlock();
    attachOnDemand(state, handleSeen);
    held.lock();
    return ZYN_OK;
}

} // namespace zyn::exchange
