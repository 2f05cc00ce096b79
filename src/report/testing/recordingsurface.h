#pragma once

#include "reportsurface.h"

#include <QList>
#include <QPointF>
#include <functional>
#include <vector>

struct SurfaceOperation {
    enum Kind { Text, Line, Font, NewPage, EndDoc };
    Kind kind = Text;
    int page = 1; // the page drawn on
    double x = 0; // the cursor before the operation
    double y = 0;
    QString text;
    int points = 0; // Font only

    bool operator==(const SurfaceOperation&) const = default;
};

// Records every operation with the page and position it happened at. Line height and character width are
// fixed so that tests can state positions exactly. Each page keeps its own cursor; with pageBeingDrawn set,
// drawing goes to that page rather than to the newest one, as on the preview's page pictures.
class RecordingSurface final : public ReportSurface {
public:
    explicit RecordingSurface(double lineHeight = 240, double charWidth = 100)
        : m_lineHeight(lineHeight)
        , m_charWidth(charWidth)
        , m_cursors(1)
    {
    }

    std::function<int()> pageBeingDrawn;
    QList<SurfaceOperation> operations;

    double CurrentX() const override { return cursor().x(); }
    double CurrentY() const override { return cursor().y(); }
    void setCurrentX(double x) override { cursor().setX(x); }
    void setCurrentY(double y) override { cursor().setY(y); }

    void PrintText(const QString& text) override
    {
        record(SurfaceOperation::Text, text);
        cursor().rx() += text.size() * m_charWidth;
    }
    void PrintLine(const QString& text = {}) override
    {
        record(SurfaceOperation::Line, text);
        cursor() = QPointF(0, cursor().y() + m_lineHeight);
    }
    void SetFont(int points) override
    {
        record(SurfaceOperation::Font, {});
        operations.last().points = points;
    }
    void NewPage() override
    {
        record(SurfaceOperation::NewPage, {});
        m_cursors.emplace_back(0, 0);
    }
    void EndDoc() override { record(SurfaceOperation::EndDoc, {}); }

    [[nodiscard]] int pageCount() const { return static_cast<int>(m_cursors.size()); }
    // The operations that drew something (texts and line ends, empty lines included) on one page.
    [[nodiscard]] QList<SurfaceOperation> drawnOn(int page) const
    {
        QList<SurfaceOperation> result;
        for (const SurfaceOperation& op : operations)
            if (op.page == page && (op.kind == SurfaceOperation::Text || op.kind == SurfaceOperation::Line))
                result.append(op);
        return result;
    }
    // The first drawing operation with exactly this text, or a default one with page 0.
    [[nodiscard]] SurfaceOperation find(const QString& text) const
    {
        for (const SurfaceOperation& op : operations)
            if ((op.kind == SurfaceOperation::Text || op.kind == SurfaceOperation::Line) && op.text == text)
                return op;
        SurfaceOperation none;
        none.page = 0;
        return none;
    }
    [[nodiscard]] int count(SurfaceOperation::Kind kind) const
    {
        int n = 0;
        for (const SurfaceOperation& op : operations)
            n += op.kind == kind ? 1 : 0;
        return n;
    }

private:
    [[nodiscard]] int drawingPage() const { return pageBeingDrawn ? pageBeingDrawn() : pageCount(); }
    [[nodiscard]] QPointF& cursor() { return m_cursors.at(static_cast<size_t>(drawingPage() - 1)); }
    [[nodiscard]] const QPointF& cursor() const { return m_cursors.at(static_cast<size_t>(drawingPage() - 1)); }
    void record(SurfaceOperation::Kind kind, const QString& text)
    {
        operations.append({ kind, drawingPage(), cursor().x(), cursor().y(), text, 0 });
    }

    double m_lineHeight;
    double m_charWidth;
    std::vector<QPointF> m_cursors;
};
