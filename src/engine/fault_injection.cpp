#include "engine/fault_injection.h"

namespace engine::faults {
namespace {

bool armed = false;
Plan plan;
long counted = 0;
os::Error failure;

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
    if (plan.killAt > 0 && counted >= plan.killAt) os::killSelf();
    if (operation == Operation::Write && failsAt(plan.failWriteAt)) {
        failure = os::errorOf(plan.writeError);
        return false;
    }
    if (operation == Operation::Sync && failsAt(plan.failSyncAt)) {
        failure = os::errorOf(os::Failure::Other);
        return false;
    }
    return true;
}

os::Error injected() { return failure; }

}  // namespace engine::faults
