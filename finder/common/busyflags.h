#pragma once

#include <QObject>
#include <QPointer>

namespace orv {

// The long operations that forbid closing the window and opening the options, each with the progress
// window that receives its stop request.
class CBusyFlags
{
public:
    enum Operation { Unpack, Pack, Search, SplitMerge, OperationCount };

    void setRunning(Operation op, QObject *stopReceiver);
    void clear(Operation op);
    bool isRunning(Operation op) const { return m_slots[op].running; }

    // Checked in the order of the enumeration: the first running operation is asked to stop (its stop
    // event is posted to its receiver) and the answer is "busy".
    bool IsBusy();

    static int stopEventOf(Operation op);

    struct Slot
    {
        bool running = false;
        QPointer<QObject> receiver;
    };
    const Slot &slot(Operation op) const { return m_slots[op]; }
    void restore(Operation op, const Slot &saved) { m_slots[op] = saved; }

private:
    Slot m_slots[OperationCount];
};

// Marks an operation as running for the lifetime of the object. Scopes nest: an operation started inside
// another one's event pump gives the flag back as it found it.
class BusyScope
{
public:
    BusyScope(CBusyFlags &flags, CBusyFlags::Operation op, QObject *stopReceiver);
    ~BusyScope();
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    CBusyFlags &m_flags;
    CBusyFlags::Operation m_op;
    CBusyFlags::Slot m_saved;
};

}  // namespace orv
