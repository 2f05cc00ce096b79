#pragma once

#include <QString>

// One output page at a time with a text cursor. Positions are in the surface's own unit (twips on the printer,
// inches on the preview pages), measured from the top-left corner of the page's printable area.
class ReportSurface {
public:
    virtual ~ReportSurface() = default;

    [[nodiscard]] virtual double CurrentX() const = 0;
    [[nodiscard]] virtual double CurrentY() const = 0;
    virtual void setCurrentX(double x) = 0;
    virtual void setCurrentY(double y) = 0;

    // Draws at the cursor; the cursor moves to the end of the text on the same line.
    virtual void PrintText(const QString& text) = 0;
    // Draws at the cursor, then ends the line: X back to 0, Y down one line height of the current font.
    virtual void PrintLine(const QString& text = {}) = 0;
    virtual void SetFont(int points) = 0;
    // Finishes the page; drawing goes on at 0, 0 of a fresh page.
    virtual void NewPage() = 0;
    // Finishes the last page and hands the document over; nothing drawn, nothing handed over.
    virtual void EndDoc() = 0;
};
