#include "controller/StopScope.h"

#include "platform/EventPump.h"

StopScope::StopScope(StopFlag& flag) : flag_(flag) { flag_.running_ = true; }

StopScope::~StopScope() { flag_.running_ = false; }

bool StopScope::keepGoing()
{
    pumpEvents();
    return flag_.running();
}
