#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {

// A profile file ("[section]" headers and key=value lines, GBK, CR LF) as the program's settings
// have always been kept. Sections and keys match without letter case, values come back trimmed,
// and every line the program does not touch (comments, foreign keys and sections, broken lines)
// stays where it was.
class IniDocument {
public:
    static IniDocument parse(QByteArrayView bytes);
    [[nodiscard]] QByteArray toBytes() const;

    [[nodiscard]] std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeKey(const QString& section, const QString& key);
    // Keys of the section, in file order.
    [[nodiscard]] QStringList keys(const QString& section) const;

private:
    struct Line {
        QString text;      // the line as read, or as written by setValue
        QString section;   // header name for a header line
        QString key;       // key of a key line
        bool header = false;
        bool entry = false;
    };
    qsizetype findHeader(const QString& section) const;
    qsizetype findEntry(const QString& section, const QString& key) const;

    QList<Line> m_lines;
};

// The value read through the classic 256-byte buffer: at most 255 bytes, never half a character.
[[nodiscard]] QString cutToProfileBuffer(const QString& value);

// File access: a read that finds nothing gives nullopt; writes replace the file in one step (a
// crash or a full disk leaves the old file) and report whether the file was written.
[[nodiscard]] std::optional<QString> readProfileString(const QString& path, const QString& section,
                                                       const QString& key);
bool writeProfileString(const QString& path, const QString& section, const QString& key,
                        const std::optional<QString>& value); // nullopt deletes the key
// Several changes in one replacement of the file, so they land together or not at all.
bool editProfile(const QString& path, const std::function<void(IniDocument&)>& edit);

} // namespace platform
