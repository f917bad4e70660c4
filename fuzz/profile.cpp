// The private-profile INI module on any file: every section, key and value it lists, then writes and
// deletions on a copy in memory, which is dropped again so that no input reaches the disk.
#include "fuzz/memoryfile.h"
#include "platform/profile.h"

using namespace orv;

namespace {

// Every read goes to the file; more names than these add time, not paths through the parser.
constexpr qsizetype kMostSections = 16;
constexpr qsizetype kMostKeys = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static fuzz::MemoryFile input;
    const QString path = input.put(data, size);
    if (path.isEmpty())
        return 0;
    PrivateProfile profile(path);
    const QStringList sections = profile.sectionNames().mid(0, kMostSections);
    for (const QString &section : sections) {
        for (const QString &key : profile.keys(section).mid(0, kMostKeys)) {
            profile.readString(section, key, QString());
            profile.readInt(section, key, -1);
        }
    }
    const QString section = sections.value(0, QStringLiteral("Fuzz"));
    const QString key = profile.keys(section).value(0, QStringLiteral("key"));
    profile.beginBatch();
    profile.writeString(section, key, QStringLiteral("\"value\""));
    profile.writeString(section, QStringLiteral("added"), QStringLiteral("1"));
    profile.writeString(QStringLiteral("New"), key, QString());
    if (profile.readString(section, QStringLiteral("added"), QString()) != QLatin1String("1"))
        std::abort();
    profile.deleteKey(section, key);
    profile.deleteSection(sections.value(1, section));
    profile.sectionNames();
    profile.discardBatch();
    return 0;
}
