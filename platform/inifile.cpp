#include "platform/inifile.h"

#include "platform/gbk.h"

#include <QFile>
#include <QSaveFile>

namespace platform {
namespace {

constexpr qsizetype kProfileBufferBytes = 255;

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

} // namespace

IniDocument IniDocument::parse(QByteArrayView bytes) {
    IniDocument doc;
    const QString text = fromGbk(bytes);
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line break after the last line
    QString current;
    for (QString raw : lines) {
        if (raw.endsWith(u'\r'))
            raw.chop(1);
        Line line{raw, {}, {}, false, false};
        const QString t = raw.trimmed();
        if (t.startsWith(u'[')) {
            const qsizetype close = t.indexOf(u']');
            if (close > 0) {
                current = t.mid(1, close - 1).trimmed();
                line.header = true;
                line.section = current;
            }
        } else if (!t.startsWith(u';')) {
            const qsizetype eq = t.indexOf(u'=');
            if (eq > 0) {
                line.entry = true;
                line.key = t.left(eq).trimmed();
                line.section = current;
            }
        }
        doc.m_lines.append(line);
    }
    return doc;
}

QByteArray IniDocument::toBytes() const {
    QString text;
    for (const Line& l : m_lines) {
        text += l.text;
        text += QStringLiteral("\r\n");
    }
    return toGbk(text);
}

qsizetype IniDocument::findHeader(const QString& section) const {
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].header && sameName(m_lines[i].section, section))
            return i;
    return -1;
}

qsizetype IniDocument::findEntry(const QString& section, const QString& key) const {
    const qsizetype header = findHeader(section);
    if (header < 0)
        return -1;
    for (qsizetype i = header + 1; i < m_lines.size() && !m_lines[i].header; ++i)
        if (m_lines[i].entry && sameName(m_lines[i].key, key))
            return i;
    return -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    const qsizetype i = findEntry(section, key);
    if (i < 0)
        return std::nullopt;
    const QString& t = m_lines[i].text;
    return t.mid(t.indexOf(u'=') + 1).trimmed();
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& rawValue) {
    // A line break inside a value would split it into lines the next read misunderstands.
    QString value = rawValue;
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    const Line entry{key + u'=' + value, section, key, false, true};
    const qsizetype existing = findEntry(section, key);
    if (existing >= 0) {
        m_lines[existing] = entry;
        return;
    }
    const qsizetype header = findHeader(section);
    if (header < 0) {
        m_lines.append(Line{u'[' + section + u']', section, {}, true, false});
        m_lines.append(entry);
        return;
    }
    // After the section's last non-blank line, so blank separators stay between sections.
    qsizetype at = header + 1;
    for (qsizetype i = header + 1; i < m_lines.size() && !m_lines[i].header; ++i)
        if (!m_lines[i].text.trimmed().isEmpty())
            at = i + 1;
    m_lines.insert(at, entry);
}

void IniDocument::removeKey(const QString& section, const QString& key) {
    for (qsizetype i = findEntry(section, key); i >= 0; i = findEntry(section, key))
        m_lines.removeAt(i);
}

QStringList IniDocument::keys(const QString& section) const {
    QStringList out;
    const qsizetype header = findHeader(section);
    if (header < 0)
        return out;
    for (qsizetype i = header + 1; i < m_lines.size() && !m_lines[i].header; ++i)
        if (m_lines[i].entry)
            out << m_lines[i].key;
    return out;
}

QString cutToProfileBuffer(const QString& value) {
    const QByteArray bytes = toGbk(value);
    if (bytes.size() <= kProfileBufferBytes)
        return value;
    // Walk the characters so a double-byte character is never split at the cut.
    qsizetype used = 0;
    qsizetype chars = 0;
    while (chars < value.size()) {
        const qsizetype width = toGbk(value.mid(chars, 1)).size();
        if (used + width > kProfileBufferBytes)
            break;
        used += width;
        ++chars;
    }
    return value.left(chars);
}

std::optional<QString> readProfileString(const QString& path, const QString& section,
                                         const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return IniDocument::parse(file.readAll()).value(section, key);
}

bool editProfile(const QString& path, const std::function<void(IniDocument&)>& edit) {
    IniDocument doc;
    QFile file(path);
    if (file.exists()) {
        // A file that is there but cannot be read must not be replaced by one holding only the edit.
        if (!file.open(QIODevice::ReadOnly))
            return false;
        doc = IniDocument::parse(file.readAll());
        file.close();
    }
    edit(doc);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = doc.toBytes();
    if (out.write(bytes) != bytes.size())
        return false;
    return out.commit();
}

bool writeProfileString(const QString& path, const QString& section, const QString& key,
                        const std::optional<QString>& value) {
    return editProfile(path, [&](IniDocument& doc) {
        if (value)
            doc.setValue(section, key, *value);
        else
            doc.removeKey(section, key);
    });
}

} // namespace platform
