// Counting file operations and failing the chosen one, for the tests of every failure point.
#include "file_faults.h"

#include "file_system.h"

namespace mission::files {

namespace {

struct FaultPlan {
    int failAt = 0;
    int errorCode = 0;
    int count = 0;
} faults;

bool unnamedTemporariesAllowed = true;

} // namespace

bool UnnamedTemporariesAllowed() {
    return unnamedTemporariesAllowed;
}

int NextOperationFault() {
    ++faults.count;
    return faults.failAt != 0 && faults.count == faults.failAt ? faults.errorCode : 0;
}

namespace testing {

void FailNthOperation(int n, int errorCode) {
    faults = FaultPlan{n, errorCode, 0};
}

int OperationCount() {
    return faults.count;
}

void AllowUnnamedTemporaries(bool allow) {
    unnamedTemporariesAllowed = allow;
}

} // namespace testing

} // namespace mission::files
