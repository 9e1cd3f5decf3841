#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>
#include <optional>

namespace report {

// Pixel coordinates stay within this distance of the origin; the pictures are at most 1000 pixels
// wide, so clamping here changes nothing visible and keeps Qt's fixed-point rasteriser safe.
inline constexpr int PixelLimit = 30000;

// A real coordinate becomes a pixel by truncation toward zero, saturated at PixelLimit; not a
// number counts as 0.
int ToPixel(double coordinate);

// A drawing surface with a current outline, fill, text colour and font, drawing without
// antialiasing. Rectangles are (left, top, right, bottom) with right and bottom exclusive; a line
// leaves out its end point; a text is placed by the top-left corner of its cell, on an opaque
// background of the fill colour. Coordinates are pixels of a 96 dots-per-inch picture: on a
// painter that maps them to whole device pixels one to one the canvas sets exactly those pixels;
// through any other transform (a screen of another scale, a PDF, a printer) it draws the areas
// those pixels cover, as paths and text, at the device's own resolution.
class Canvas {
public:
    // Paints into the image for the life of the canvas.
    explicit Canvas(QImage& image);
    // Paints through a painter the caller keeps; its state is restored when the canvas goes.
    explicit Canvas(QPainter& painter);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void SetOutlineColour(const QColor& colour) { outlineColour_ = colour; }
    void SetOutlineWidth(int width) { outlineWidth_ = width; }
    void SetOutlineDotted(bool dotted) { outlineDotted_ = dotted; }
    void SetFill(const QColor& colour) { fill_ = colour; }
    void SetTextColour(const QColor& colour) { textColour_ = colour; }
    void SetFont(const QFont& font) { font_ = font; }

    // Fills the interior with the fill colour and draws a one-pixel outline on its border pixels.
    void Rectangle(int left, int top, int right, int bottom);
    void Line(int x1, int y1, int x2, int y2);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Text(int x, int y, const QString& text);

private:
    void DrawSegment(QPoint from, QPoint to);
    void DrawCoveredSegment(QPoint from, QPoint last);
    // A line in the outline's colour and dots, the gaps between dots in the fill's.
    template <typename Segment> void StrokeOutline(const Segment& line, Qt::PenCapStyle cap);

    std::optional<QPainter> ownPainter_;
    QPainter& painter_;
    bool pixelExact_ = true;
    QColor outlineColour_ = Qt::black;
    int outlineWidth_ = 1;
    bool outlineDotted_ = false;
    QColor fill_ = Qt::white;
    QColor textColour_ = Qt::black;
    QFont font_;
    QPoint penPosition_;
};

} // namespace report
