#include "busyflags.h"

#include "platform/events.h"

namespace orv {

void CBusyFlags::setRunning(Operation op, QObject *stopReceiver)
{
    m_slots[op].running = true;
    m_slots[op].receiver = stopReceiver;
}

void CBusyFlags::clear(Operation op)
{
    m_slots[op] = Slot();
}

int CBusyFlags::stopEventOf(Operation op)
{
    switch (op) {
    case Unpack:
        return Ev::UnpackStop;
    case Pack:
        return Ev::PackStop;
    case Search:
        return Ev::FindStop;
    case SplitMerge:
    case OperationCount:
        break;
    }
    return Ev::SplitMergeStop;
}

bool CBusyFlags::IsBusy()
{
    for (int i = 0; i < OperationCount; ++i) {
        const Slot &slot = m_slots[i];
        if (!slot.running)
            continue;
        postOrvEvent(slot.receiver, stopEventOf(static_cast<Operation>(i)));
        return true;
    }
    return false;
}

BusyScope::BusyScope(CBusyFlags &flags, CBusyFlags::Operation op, QObject *stopReceiver)
    : m_flags(flags), m_op(op), m_saved(flags.slot(op))
{
    m_flags.setRunning(op, stopReceiver);
}

BusyScope::~BusyScope()
{
    m_flags.restore(m_op, m_saved);
}

}  // namespace orv
