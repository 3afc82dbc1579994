#pragma once

// What the page tests share: a fake designer host, scripted boxes and dialogs, and picture files
// of every kind the pages accept, made here.

#include "platform/msgbox.h"
#include "widgets/pages/propertypage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>

#include <deque>
#include <vector>

namespace pagetest {

// The designer side of the protocol, without a dialog: starts the page, hands it the selection,
// applies it as a designer does (apply, then the flag cleared) and logs the changed flag.
struct FakeHost {
    explicit FakeHost(PropertyPage& p) : page(p) {
        QObject::connect(&page, &PropertyPage::changedChanged,
                         [this](bool on) { flags.push_back(on); });
        page.start();
    }
    void select(QWidget* control) { page.setSelectedControls({control}); }
    void apply() {
        page.apply();
        page.setChanged(false);
    }
    [[nodiscard]] bool applyOffered() const { return page.Changed(); }
    PropertyPage& page;
    std::vector<bool> flags;
};

// Answers the boxes in order and keeps what they said. A question with no answer left is No.
struct ScriptedBoxes {
    struct Shown {
        QString text;
        QString title;
        platform::BoxButtons buttons;
        platform::BoxIcon icon;
    };
    ScriptedBoxes() {
        platform::setMessageBoxHandler([this](const QString& text, const QString& title,
                                              platform::BoxButtons buttons,
                                              platform::BoxIcon icon) {
            shown.push_back({text, title, buttons, icon});
            if (buttons == platform::BoxButtons::Ok) return platform::BoxAnswer::Ok;
            if (answers.empty()) return platform::BoxAnswer::No;
            const platform::BoxAnswer a = answers.front();
            answers.pop_front();
            return a;
        });
    }
    ~ScriptedBoxes() { platform::setMessageBoxHandler(nullptr); }
    void yes() { answers.push_back(platform::BoxAnswer::Yes); }
    void no() { answers.push_back(platform::BoxAnswer::No); }
    [[nodiscard]] QStringList texts() const {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }
    std::deque<platform::BoxAnswer> answers;
    std::vector<Shown> shown;
};

// The pages' dialogs answered from queues; an empty queue cancels.
struct ScriptedDialogs {
    ScriptedDialogs() {
        pageDialogs().open = [this](QWidget*, const QString& filter, int flags,
                                    const QString& folder, const QString& title, bool multi) {
            openCalls.push_back({filter, flags, folder, title, multi});
            return take(files, QString());
        };
        pageDialogs().colour = [this](QWidget*, int64_t start, std::vector<uint32_t>& custom) {
            colourStarts.push_back(start);
            customSizes.push_back(custom.size());
            return take(colours, int64_t(-1));
        };
        pageDialogs().font = [this](QWidget*, QFont& font, int minPoints, int maxPoints) {
            fontRanges.emplace_back(minPoints, maxPoints);
            if (fonts.empty()) return false;
            font = take(fonts, QFont());
            return true;
        };
    }
    ~ScriptedDialogs() { resetPageDialogs(); }
    template <typename T> static T take(std::deque<T>& queue, T none) {
        if (queue.empty()) return none;
        T v = queue.front();
        queue.pop_front();
        return v;
    }
    struct OpenCall {
        QString filter;
        int flags;
        QString folder;
        QString title;
        bool multi;
    };
    std::deque<QString> files;
    std::deque<int64_t> colours;
    std::deque<QFont> fonts;
    std::vector<OpenCall> openCalls;
    std::vector<int64_t> colourStarts;
    std::vector<size_t> customSizes;
    std::vector<std::pair<int, int>> fontRanges;
};

// A picture of w x h: a solid colour with a dark 2-pixel frame; a transparent corner when asked.
inline QImage picture(QRgb colour, int w = 16, int h = 16, bool transparentCorner = false) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    QPainter p(&image);
    p.setPen(QColor(20, 20, 20));
    p.drawRect(0, 0, w - 1, h - 1);
    p.end();
    if (transparentCorner) image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    return image;
}

inline QByteArray icoBytes(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    writer.write(image);
    return buffer.data();
}

// A cursor file is an icon file of type 2 whose entries carry a hotspot.
inline QByteArray curBytes(const QImage& image, QPoint hotspot = {0, 0}) {
    QByteArray bytes = icoBytes(image);
    if (bytes.size() < 22) return bytes;
    qToLittleEndian<quint16>(2, bytes.data() + 2);
    qToLittleEndian<quint16>(quint16(hotspot.x()), bytes.data() + 6 + 4);
    qToLittleEndian<quint16>(quint16(hotspot.y()), bytes.data() + 6 + 6);
    return bytes;
}

inline QByteArray chunk(const char* id, const QByteArray& data) {
    QByteArray out(id, 4);
    QByteArray length(4, '\0');
    qToLittleEndian<quint32>(quint32(data.size()), length.data());
    out += length + data;
    if (data.size() % 2 != 0) out += '\0';
    return out;
}

// An animated cursor of the given frames (each stored as a cursor file).
inline QByteArray aniBytes(const std::vector<QImage>& frames) {
    QByteArray header(36, '\0');
    const quint32 fields[] = {36, quint32(frames.size()), quint32(frames.size()), 0, 0, 0, 0, 10,
                              1};
    for (int i = 0; i < 9; ++i)
        qToLittleEndian<quint32>(fields[i], header.data() + 4 * i);
    QByteArray list("fram", 4);
    for (const QImage& frame : frames)
        list += chunk("icon", curBytes(frame));
    return chunk("RIFF", QByteArray("ACON", 4) + chunk("anih", header) + chunk("LIST", list));
}

inline QByteArray bmpBytes(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    return buffer.data();
}

// A GIF of up to four colours, written without compression: a clear code before every two
// pixels keeps the codes three bits wide.
inline QByteArray gifBytes(const QImage& image) {
    std::vector<QRgb> palette;
    std::vector<int> indexes;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = image.pixel(x, y) | 0xFF000000u;
            auto at = std::find(palette.begin(), palette.end(), px);
            if (at == palette.end()) {
                palette.push_back(px);
                at = palette.end() - 1;
            }
            indexes.push_back(int(at - palette.begin()));
        }
    }
    palette.resize(4, qRgb(0, 0, 0));
    QByteArray out("GIF89a", 6);
    const auto word = [&out](int v) {
        out += char(v & 0xFF);
        out += char((v >> 8) & 0xFF);
    };
    word(image.width());
    word(image.height());
    out += char(0x81); // global table of 4 colours
    out += char(0);
    out += char(0);
    for (QRgb c : palette) {
        out += char(qRed(c));
        out += char(qGreen(c));
        out += char(qBlue(c));
    }
    out += ',';
    word(0);
    word(0);
    word(image.width());
    word(image.height());
    out += char(0);
    out += char(2); // minimum code size
    QByteArray bits;
    quint32 acc = 0;
    int filled = 0;
    const auto put = [&](int code) {
        acc |= quint32(code) << filled;
        filled += 3;
        while (filled >= 8) {
            bits += char(acc & 0xFF);
            acc >>= 8;
            filled -= 8;
        }
    };
    for (size_t i = 0; i < indexes.size(); ++i) {
        if (i % 2 == 0) put(4);
        put(indexes[i]);
    }
    put(5);
    if (filled > 0) bits += char(acc & 0xFF);
    for (qsizetype at = 0; at < bits.size(); at += 255) {
        const QByteArray block = bits.mid(at, 255);
        out += char(block.size());
        out += block;
    }
    out += char(0);
    out += ';';
    return out;
}

inline QString writeFile(const QDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName();
}

} // namespace pagetest
