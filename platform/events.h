#pragma once

#include <QEvent>
#include <QString>

class QObject;

namespace orv {

// Event numbers shared between the finder and the unpacker libraries. The numbers are binding: the
// libraries post them to receivers they know only as QObject pointers, so both sides must agree.
namespace Ev {
constexpr int UnpackProgress = 1124;   // percent, current name
constexpr int UnpackStop = 1125;       // stop request of the unpack progress window
constexpr int PathCreated = 1126;      // a folder was created or a file written: its full path
constexpr int PackProgress = 1127;     // percent, current name
constexpr int PackStop = 1128;         // stop request of the pack progress window
constexpr int FindProgress = 1129;     // path being examined; to the tree: refresh the node of a path
constexpr int FindStop = 1130;         // stop request of the find progress window
constexpr int SplitMergeProgress = 1133;  // percent, and the current part when it changes
constexpr int SplitMergeStop = 1134;   // stop request of the split or merge progress window

// Application messages of the dialogs (the user range starts at 1024).
constexpr int UserBase = 1024;
constexpr int DialogUnpackProgress = UserBase + 100;
constexpr int DialogUnpackStop = UserBase + 101;
constexpr int DialogPackProgress = UserBase + 103;
constexpr int DialogPackStop = UserBase + 104;
constexpr int TreeRefresh = UserBase + 105;  // a path; the packer's notices carry 0
constexpr int TreeRefreshDone = 1;            // the value of the one sent when an add is over

constexpr QEvent::Type type(int number) { return static_cast<QEvent::Type>(number); }
}  // namespace Ev

// The two parameters of a window message: a number (percent) and a text (a name or a path).
class OrvEvent : public QEvent
{
public:
    OrvEvent(int number, int value = 0, QString text = {});
    int number() const { return static_cast<int>(type()); }
    int value() const { return m_value; }
    const QString &text() const { return m_text; }

private:
    int m_value;
    QString m_text;
};

// Sends now (the receiver handles it before this returns); a null receiver is ignored.
void sendOrvEvent(QObject *receiver, int number, int value = 0, const QString &text = {});
// Queues for the next event pump; a null receiver is ignored.
void postOrvEvent(QObject *receiver, int number, int value = 0, const QString &text = {});

}  // namespace orv
