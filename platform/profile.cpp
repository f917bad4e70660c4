#include "profile.h"

#include <QFile>
#include <QSaveFile>

#include <limits>
#include <utility>

namespace orv {

namespace {

enum class LineKind { Other, Section, Entry };

struct ParsedLine
{
    LineKind kind = LineKind::Other;
    QString name;   // section or key name, trimmed
    QString value;  // entry value, trimmed and unquoted
    bool hasValue = false;
};

QString unquoted(const QString &value)
{
    if (value.size() >= 2 && value.front() == value.back()
        && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
        return value.mid(1, value.size() - 2);
    return value;
}

// Lines starting with ";" are comments: the profile functions neither find nor list them.
ParsedLine parseLine(const QString &raw)
{
    const QString line = raw.trimmed();
    ParsedLine out;
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
        return out;
    if (line.startsWith(QLatin1Char('['))) {
        const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
        out.kind = LineKind::Section;
        out.name = (close > 0 ? line.mid(1, close - 1) : line.mid(1)).trimmed();
        return out;
    }
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    out.kind = LineKind::Entry;
    out.name = (eq < 0 ? line : line.left(eq)).trimmed();
    out.hasValue = eq >= 0;
    if (out.hasValue)
        out.value = unquoted(line.mid(eq + 1).trimmed());
    return out;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Line range of the first section with the given name: the header line and one past its last line.
struct SectionRange
{
    qsizetype header = -1;
    qsizetype end = -1;
    bool found() const { return header >= 0; }
};

SectionRange findSection(const QStringList &lines, const QString &section)
{
    SectionRange range;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ParsedLine p = parseLine(lines[i]);
        if (p.kind != LineKind::Section)
            continue;
        if (range.found()) {
            range.end = i;
            return range;
        }
        if (sameName(p.name, section))
            range.header = i;
    }
    if (range.found())
        range.end = lines.size();
    return range;
}

qsizetype findKey(const QStringList &lines, const SectionRange &range, const QString &key)
{
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const ParsedLine p = parseLine(lines[i]);
        if (p.kind == LineKind::Entry && sameName(p.name, key))
            return i;
    }
    return -1;
}

// A new key goes after the section's last non-blank line, so blank separator lines stay between sections.
qsizetype insertionPoint(const QStringList &lines, const SectionRange &range)
{
    qsizetype at = range.end;
    while (at > range.header + 1 && lines[at - 1].trimmed().isEmpty())
        --at;
    return at;
}

}  // namespace

// Keys of the first section of each name, each with its first line, as the line-by-line search finds them.
struct PrivateProfile::Lookup
{
    struct Value
    {
        QString text;
        bool hasValue = false;
    };
    using Section = QHash<QString, Value>;
    QHash<QString, Section> sections;

    static QString folded(const QString &name) { return name.toCaseFolded(); }

    explicit Lookup(const QStringList &lines)
    {
        Section *current = nullptr;
        for (const QString &line : lines) {
            ParsedLine parsed = parseLine(line);
            if (parsed.kind == LineKind::Section) {
                const QString name = folded(parsed.name);
                current = sections.contains(name) ? nullptr : &sections[name];
            } else if (parsed.kind == LineKind::Entry && current) {
                const QString key = folded(parsed.name);
                if (!current->contains(key))
                    current->insert(key, Value{std::move(parsed.value), parsed.hasValue});
            }
        }
    }

    const Value *find(const QString &section, const QString &key) const
    {
        const auto found = sections.constFind(folded(section));
        if (found == sections.cend())
            return nullptr;
        const auto value = found->constFind(folded(key));
        return value == found->cend() ? nullptr : &*value;
    }
};

PrivateProfile::PrivateProfile(QString path) : m_path(std::move(path)) {}

const PrivateProfile::Lookup &PrivateProfile::lookup() const
{
    if (!m_lookup)
        m_lookup = std::make_shared<const Lookup>(m_batchLines);
    return *m_lookup;
}

QStringList PrivateProfile::readLines() const
{
    return m_inBatch ? m_batchLines : readFileLines();
}

bool PrivateProfile::writeLines(const QStringList &lines)
{
    if (!m_inBatch)
        return writeFileLines(lines);
    m_batchLines = lines;
    m_lookup.reset();
    return true;
}

void PrivateProfile::beginBatch()
{
    m_batchLines = readFileLines();
    m_lookup.reset();
    m_inBatch = true;
}

bool PrivateProfile::commitBatch()
{
    if (!m_inBatch)
        return true;
    m_inBatch = false;
    m_lookup.reset();
    return writeFileLines(std::exchange(m_batchLines, {}));
}

void PrivateProfile::discardBatch()
{
    m_inBatch = false;
    m_batchLines.clear();
    m_lookup.reset();
}

QStringList PrivateProfile::readFileLines() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

bool PrivateProfile::writeFileLines(const QStringList &lines)
{
    QSaveFile file(m_path);
    QByteArray bytes = lines.join(QLatin1Char('\n')).toUtf8();
    if (!lines.isEmpty())
        bytes.append('\n');
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_lastError = file.errorString();
        return false;
    }
    m_lastError.clear();
    return true;
}

QString PrivateProfile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    if (m_inBatch) {
        const Lookup::Value *value = lookup().find(section, key);
        return value && value->hasValue ? value->text : defaultValue;
    }
    const QStringList lines = readLines();
    const SectionRange range = findSection(lines, section);
    if (!range.found())
        return defaultValue;
    const qsizetype at = findKey(lines, range, key);
    if (at < 0)
        return defaultValue;
    // A key line without "=" is listed as a key but has no value of its own.
    const ParsedLine entry = parseLine(lines[at]);
    return entry.hasValue ? entry.value : defaultValue;
}

int PrivateProfile::readInt(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = readString(section, key, QString());
    if (text.isEmpty())
        return defaultValue;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) {
        negative = text[0] == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            value = std::numeric_limits<int>::max();
    }
    return static_cast<int>(negative ? -value : value);
}

QStringList PrivateProfile::sectionNames() const
{
    QStringList names;
    for (const QString &line : readLines()) {
        const ParsedLine p = parseLine(line);
        if (p.kind == LineKind::Section)
            names << p.name;
    }
    return names;
}

QStringList PrivateProfile::keys(const QString &section) const
{
    const QStringList lines = readLines();
    const SectionRange range = findSection(lines, section);
    QStringList names;
    for (qsizetype i = range.header + 1; range.found() && i < range.end; ++i) {
        const ParsedLine p = parseLine(lines[i]);
        if (p.kind == LineKind::Entry && !p.name.isEmpty())
            names << p.name;
    }
    return names;
}

QStringList PrivateProfile::entries(const QString &section) const
{
    const QStringList lines = readLines();
    const SectionRange range = findSection(lines, section);
    QStringList out;
    for (qsizetype i = range.header + 1; range.found() && i < range.end; ++i) {
        const ParsedLine p = parseLine(lines[i]);
        if (p.kind == LineKind::Entry && !p.name.isEmpty())
            out << lines[i].trimmed();
    }
    return out;
}

bool PrivateProfile::writeString(const QString &section, const QString &key, const QString &value)
{
    QStringList lines = readLines();
    const QString entry = key + QLatin1Char('=') + value;
    const SectionRange range = findSection(lines, section);
    if (!range.found()) {
        if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
            lines << QString();
        lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        return writeLines(lines);
    }
    const qsizetype at = findKey(lines, range, key);
    if (at >= 0)
        lines[at] = entry;
    else
        lines.insert(insertionPoint(lines, range), entry);
    return writeLines(lines);
}

bool PrivateProfile::deleteKey(const QString &section, const QString &key)
{
    QStringList lines = readLines();
    const SectionRange range = findSection(lines, section);
    const qsizetype at = range.found() ? findKey(lines, range, key) : -1;
    if (at < 0)
        return true;
    lines.removeAt(at);
    return writeLines(lines);
}

bool PrivateProfile::deleteSection(const QString &section)
{
    QStringList lines = readLines();
    const SectionRange range = findSection(lines, section);
    if (!range.found())
        return true;
    lines.remove(range.header, range.end - range.header);
    return writeLines(lines);
}

}  // namespace orv
