#include "platform/inifile.h"

#include "platform/gbk.h"
#include "platform/savefile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Identity, size and last change of a file. File times advance in steps of a few milliseconds, so
// a stamp only proves a file unchanged once its last change is older than such a step.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    timespec changed{};
    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec;
    }
};

std::optional<FileStamp> stampOf(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return std::nullopt;
    return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

bool settled(const FileStamp& stamp) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto ms = [](const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000; };
    return ms(now) - ms(stamp.modified) > 1000;
}

std::optional<QByteArray> readAll(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QByteArray bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            if (n < 0)
                return std::nullopt;
            return bytes;
        }
        bytes.append(buffer, n);
    }
}

// The last file read, parsed: a settings load reads some fifty keys of one file in a row. It is
// parsed again only when its bytes differ, and read again unless its stamp shows it settled and
// unchanged, so an edit from outside is always seen.
struct ParsedFile {
    QByteArray path;
    FileStamp stamp;
    QByteArray bytes;
    IniDocument doc;
};

ParsedFile& lastRead() {
    static ParsedFile f;
    return f;
}

} // namespace

std::optional<QString> readProfileString(const QString& path, const QString& section,
                                         const QString& key) {
    const QByteArray name = QFile::encodeName(path);
    const std::optional<FileStamp> stamp = stampOf(name);
    if (!stamp)
        return std::nullopt;
    ParsedFile& cached = lastRead();
    const bool known = cached.path == name;
    if (!known || !(cached.stamp == *stamp) || !settled(*stamp)) {
        const std::optional<QByteArray> bytes = readAll(name);
        if (!bytes)
            return std::nullopt;
        if (!known || *bytes != cached.bytes) {
            cached.doc = IniDocument::parse(*bytes);
            cached.bytes = *bytes;
            cached.path = name;
        }
        cached.stamp = *stamp;
    }
    return cached.doc.value(section, key);
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
    return saveWholeFile(path, doc.toBytes());
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
