#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

// Shares the room a window gains beyond its design size among controls placed at design positions: each
// control's left, top, width and height grow by a fixed share of the extra width or height.
class GrowingLayout final : public QObject {
    Q_OBJECT
public:
    struct Share {
        double left = 0;
        double top = 0;
        double width = 0;
        double height = 0;
    };

    explicit GrowingLayout(QWidget* client);

    void add(QWidget* control, Share share);
    // The client's size and the controls' places as they are now are the design: call once all are placed.
    void fixDesign();

    [[nodiscard]] static QRect grown(QRect design, Share share, QSize extra);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Control {
        QWidget* widget;
        Share share;
        QRect design;
    };
    void place();

    QWidget* m_client;
    QSize m_design;
    std::vector<Control> m_controls;
};
