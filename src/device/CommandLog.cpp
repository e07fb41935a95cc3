#include "device/CommandLog.h"

namespace cdflash {

namespace {
ICommandLog* receiver = nullptr;
}  // namespace

ICommandLog* CommandLog() { return receiver; }

ICommandLog* SetCommandLog(ICommandLog* log) {
  ICommandLog* previous = receiver;
  receiver = log;
  return previous;
}

}  // namespace cdflash
