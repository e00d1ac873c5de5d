#include "engine/fault_injection.h"

#include <signal.h>
#include <unistd.h>

namespace engine::faults {
namespace {

bool armed = false;
Plan plan;
long counted = 0;

bool failsAt(long at) { return at > 0 && (plan.keepFailing ? counted >= at : counted == at); }

}  // namespace

void arm(const Plan& p) {
    plan = p;
    counted = 0;
    armed = true;
}

void disarm() { armed = false; }

long operations() { return counted; }

bool allow(Operation operation) {
    if (!armed) return true;
    ++counted;
    if (plan.killAt > 0 && counted >= plan.killAt) ::kill(::getpid(), SIGKILL);
    if (operation == Operation::Write && failsAt(plan.failWriteAt)) {
        errno = plan.writeError;
        return false;
    }
    if (operation == Operation::Sync && failsAt(plan.failSyncAt)) {
        errno = EIO;
        return false;
    }
    return true;
}

}  // namespace engine::faults
