#pragma once

#include "platform/colors.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QLineF>
#include <QString>

#include <span>
#include <vector>

// The picture box the line and candlestick charts draw on: positions in twips (TwipsX and TwipsY
// per pixel), a current print position, a fore colour, a pen width in pixels and a pen style, and
// one font. Lines, boxes and points follow the classic pixel rules of platform/gdi (a line leaves
// out its end pixel, an outline covers both corners, no antialiasing). What is drawn stays until
// the next Cls.
//
// Surface keeps the state and the text metrics; ImageSurface draws the pixels onto a QImage and
// RecordingSurface keeps a list of what was asked for, so a test can read a drawing as numbers.
namespace platform {

// DrawStyle values. Patterned styles apply to lines one pixel wide; wider lines are solid.
inline constexpr int vbSolid = 0;
inline constexpr int vbDash = 1;
inline constexpr int vbDot = 2;
inline constexpr int vbDashDot = 3;
inline constexpr int vbDashDotDot = 4;
inline constexpr int vbInvisible = 5;
inline constexpr int vbInsideSolid = 6;

// The font the classic surface makes of a face name, a size in points and a weight: an em of
// points x 96 / 72 pixels (halves away from zero, at least 1), drawn without antialiasing. Face
// names go through the program's font substitutions.
[[nodiscard]] QFont surfaceFont(const QString& name, double points, bool bold);
// Width of a one-line text and height of one text line in the font, in twips.
[[nodiscard]] double textWidthTwips(const QFont& font, const QString& text);
[[nodiscard]] double lineHeightTwips(const QFont& font);

class Surface {
public:
    Surface(int widthPixels, int heightPixels);
    virtual ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Size in twips.
    [[nodiscard]] double ScaleWidth() const;
    [[nodiscard]] double ScaleHeight() const;
    [[nodiscard]] int pixelWidth() const { return m_width; }
    [[nodiscard]] int pixelHeight() const { return m_height; }
    // A new size in pixels; what was drawn stays where it was, new area takes the back colour.
    void resize(int widthPixels, int heightPixels);

    // The print position, in twips.
    double CurrentX = 0;
    double CurrentY = 0;
    OleColor ForeColor = 0x000000;
    // Colour Cls fills with.
    OleColor BackColor = 0xFFFFFF;

    // Pen width in pixels, 1 or more; another value is refused (false) and the width stays.
    [[nodiscard]] int DrawWidth() const { return m_drawWidth; }
    bool setDrawWidth(int pixels);
    // Pen style vbSolid .. vbInsideSolid; another value is refused (false) and the style stays.
    [[nodiscard]] int DrawStyle() const { return m_drawStyle; }
    bool setDrawStyle(int style);

    [[nodiscard]] QString FontName() const { return m_fontName; }
    void setFontName(const QString& name);
    [[nodiscard]] double FontSize() const { return m_fontSize; }
    // Points above 0 and at most 2160; another size is refused (false) and the size stays.
    bool setFontSize(double points);
    [[nodiscard]] bool FontBold() const { return m_fontBold; }
    void setFontBold(bool bold);
    [[nodiscard]] const QFont& font() const { return m_font; }

    // Fills the surface with BackColor and puts the print position at (0, 0).
    void Cls();
    // Line from (x1, y1) to (x2, y2) with the pen; the print position moves to (x2, y2).
    void Line(double x1, double y1, double x2, double y2, OleColor color);
    // Lines one after another with the pen, as Line for each in turn (a chart's series is
    // hundreds of short ones); the print position moves to the end of the last drawn.
    void Lines(std::span<const QLineF> lines, OleColor color);
    // Outline of the rectangle with corners (x1, y1) and (x2, y2), both corners included.
    void Box(double x1, double y1, double x2, double y2, OleColor color);
    // The same rectangle filled, its outline included.
    void FilledBox(double x1, double y1, double x2, double y2, OleColor color);
    // A point of the pen's width.
    void PSet(double x, double y, OleColor color);
    // Text at the print position in the font and ForeColor, background left as it is; then the
    // print position moves to the start of the next line (x 0, y one text height lower).
    void Print(const QString& text = {});

    // Width and height of a text in the current font, in twips; an empty text is one line high.
    [[nodiscard]] double TextWidth(const QString& text) const;
    [[nodiscard]] double TextHeight(const QString& text) const;

    // What was drawn, when the surface keeps pixels; a null image otherwise.
    [[nodiscard]] virtual QImage picture() const = 0;

protected:
    // The drawing itself, in twips, with the state above. Positions are finite.
    virtual void paintClear() = 0;
    virtual void paintLine(double x1, double y1, double x2, double y2, OleColor color) = 0;
    // Lines with finite positions, in order; by default each through paintLine.
    virtual void paintLines(std::span<const QLineF> lines, OleColor color);
    virtual void paintBox(double x1, double y1, double x2, double y2, OleColor color,
                          bool filled) = 0;
    virtual void paintPoint(double x, double y, OleColor color) = 0;
    virtual void paintText(double x, double y, const QString& text) = 0;
    virtual void resized() = 0;
    // Identifies the current font (name, size, weight and the rest), for caches kept by font.
    [[nodiscard]] const QString& fontKey() const { return m_fontKey; }

private:
    void updateFont();

    int m_width = 0;
    int m_height = 0;
    int m_drawWidth = 1;
    int m_drawStyle = vbSolid;
    QString m_fontName;
    double m_fontSize = 9;
    bool m_fontBold = false;
    QFont m_font;
    double m_lineHeight = 0;
    // Widths of texts by font: a redraw measures the same labels again, between font changes.
    QString m_fontKey;
    mutable QHash<QString, QHash<QString, double>> m_widths;
};

// The surface that draws pixels, onto a 32-bit RGB image.
class ImageSurface : public Surface {
public:
    ImageSurface(int widthPixels, int heightPixels);

    [[nodiscard]] const QImage& image() const { return m_image; }
    [[nodiscard]] QImage picture() const override { return m_image; }

protected:
    void paintClear() override;
    void paintLine(double x1, double y1, double x2, double y2, OleColor color) override;
    void paintLines(std::span<const QLineF> lines, OleColor color) override;
    void paintBox(double x1, double y1, double x2, double y2, OleColor color, bool filled) override;
    void paintPoint(double x, double y, OleColor color) override;
    void paintText(double x, double y, const QString& text) override;
    void resized() override;

private:
    // A text as it is drawn in one font: rows of pen-coloured pixel runs relative to the text's
    // top-left corner. Without antialiasing a glyph pixel is either the pen's colour or left as
    // it was, so the same runs give the same picture at any position and in any colour; a chart
    // prints the same labels on every redraw.
    struct TextStamp {
        struct Run {
            int dx;
            int dy;
            int length;
        };
        // False when the text cannot be kept this way and is drawn each time.
        bool stamped = false;
        std::vector<Run> runs;
    };
    [[nodiscard]] TextStamp makeStamp(const QString& text) const;
    [[nodiscard]] const TextStamp& stampOf(const QString& text);

    QImage m_image;
    QHash<QString, QHash<QString, TextStamp>> m_stamps; // by font key, then text
};

// One drawing call as a RecordingSurface keeps it: positions in twips, the pen and font of the
// moment. Text keeps its position in (x1, y1).
struct SurfaceOp {
    enum class Kind { Clear, Line, Box, FilledBox, Point, Text };
    Kind kind = Kind::Clear;
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    OleColor color = 0;
    int width = 1;
    int style = vbSolid;
    QString text;
    QString fontName;
    double fontSize = 0;
    bool bold = false;
};

// The surface that records instead of drawing; text metrics are those of the real font.
class RecordingSurface : public Surface {
public:
    RecordingSurface(int widthPixels, int heightPixels);

    [[nodiscard]] const std::vector<SurfaceOp>& ops() const { return m_ops; }
    [[nodiscard]] std::vector<SurfaceOp> ops(SurfaceOp::Kind kind) const;
    void clearOps() { m_ops.clear(); }
    [[nodiscard]] QImage picture() const override { return {}; }

protected:
    void paintClear() override;
    void paintLine(double x1, double y1, double x2, double y2, OleColor color) override;
    void paintBox(double x1, double y1, double x2, double y2, OleColor color, bool filled) override;
    void paintPoint(double x, double y, OleColor color) override;
    void paintText(double x, double y, const QString& text) override;
    void resized() override {}

private:
    SurfaceOp op(SurfaceOp::Kind kind, double x1, double y1, double x2, double y2,
                 OleColor color) const;

    std::vector<SurfaceOp> m_ops;
};

// Cuts the segment to the rectangle (Liang-Barsky); false when nothing of it lies inside.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double left, double top,
                 double right, double bottom);

} // namespace platform
