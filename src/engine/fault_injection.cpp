#include "engine/fault_injection.h"

#include <signal.h>
#include <unistd.h>

namespace engine::faults {
namespace {

bool armed = false;
Plan plan;
long counted = 0;
bool failingWrites = false;
bool failingSyncs = false;

}  // namespace

void arm(const Plan& p) {
    plan = p;
    counted = 0;
    failingWrites = failingSyncs = false;
    armed = true;
}

void disarm() { armed = false; }

long operations() { return counted; }

bool allow(Operation operation) {
    if (!armed) return true;
    ++counted;
    if (plan.killAt > 0 && counted >= plan.killAt) ::kill(::getpid(), SIGKILL);
    if (operation == Operation::Write) {
        if (failingWrites || (plan.failWriteAt > 0 && counted == plan.failWriteAt)) {
            failingWrites = plan.keepFailing;
            errno = plan.writeError;
            return false;
        }
    } else if (failingSyncs || (plan.failSyncAt > 0 && counted == plan.failSyncAt)) {
        failingSyncs = plan.keepFailing;
        errno = EIO;
        return false;
    }
    return true;
}

}  // namespace engine::faults
