// Raw-file engine stand-in: the test hook that makes an engine operation
// throw, so the engine-failure paths of its callers can be tested.
//
// FailNextCall("GetScan") makes the next call of every engine operation
// named GetScan (whatever its class) throw EngineError("injected failure:
// GetScan"); with `skip` n, the n calls before it pass. Each armed name
// fires once. Operation names are the engine's method names as declared
// in its headers (a constructor is named by its class, "CRawfile",
// "CVirtualMSWriter"; the destructor-time finish of a writer is "Finish").
// FailNextAllocation arms a name the same way with std::bad_alloc, as a
// failed allocation inside the operation (a constructor's among them)
// throws. ClearInjectedFailures disarms every name. The hook is process-wide and
// not meant for concurrent use.
#pragma once

#include "rawtypes.h"

#include <string>

namespace rawengine::testhook {

RAWENGINE_API void FailNextCall(const std::string& operation, int skip = 0);
RAWENGINE_API void FailNextAllocation(const std::string& operation, int skip = 0);
RAWENGINE_API void ClearInjectedFailures();
// Names armed and not yet fired.
RAWENGINE_API int PendingInjectedFailures();
// CRawfile objects that exist now, so callers can be shown to delete the
// files they open.
RAWENGINE_API int LiveRawfiles();

}  // namespace rawengine::testhook

namespace rawengine::detail {
// Called by every engine operation on entry; throws when armed.
void checkpoint(const char* operation);
// Counts CRawfile objects made (+1) and deleted (-1).
void countRawfile(int delta);
}  // namespace rawengine::detail
