#pragma once

#include <QAbstractButton>
#include <QColor>

#include <functional>

// The small pieces the wiring picture is drawn with. They are buttons, so every clickable
// piece can be reached with Tab and clicked with Space, as with the mouse.

// A caption that may be clicked: a direction or kind label, a mode text, a function slot, a
// group label, a sensor label. Clicks on a piece that is not clickable are taken (they are
// not clicks on the picture's empty space) but do nothing.
class ClickLabel : public QAbstractButton {
public:
    enum class Look {
        Plain,  // text only
        Slot,   // a framed box, as a slot of a channel block
        Marker, // a small filled mark (automatic mode, auto-tune, extension)
    };
    explicit ClickLabel(const QString& objectName, Look look, QWidget* parent);

    void setClickable(bool clickable);
    bool clickable() const { return m_clickable; }
    // Drawn greyed: a slot the chosen terminal does not fit, a window not available yet.
    void setDimmed(bool dimmed);
    // Drawn with the highlight frame: a slot the chosen terminal fits.
    void setOffered(bool offered);
    // A line over the caption: the complementary (inverted) slot of a function.
    void setOverline(bool overline);
    // Fill of a marker; invalid = the window's colour.
    void setFill(const QColor& fill);
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    Look m_look;
    bool m_clickable = true;
    bool m_dimmed = false;
    bool m_offered = false;
    bool m_overline = false;
    QColor m_fill;
    Qt::Alignment m_alignment = Qt::AlignVCenter | Qt::AlignLeft;
};

// The terminal of a row, with its number: pressing it chooses the terminal for linking (a
// press, as on the controller's terminal strip: the link is made where the mouse is let go,
// or with a later click on a slot). The chosen terminal is drawn checked.
class TerminalButton : public QAbstractButton {
public:
    struct Handlers {
        std::function<void()> pressed;
        std::function<void(const QPoint& global)> dragged;
        std::function<void(const QPoint& global, bool moved)> released;
    };
    TerminalButton(const QString& objectName, Handlers handlers, QWidget* parent);

    void setChosen(bool chosen);
    bool chosen() const { return m_chosen; }
    // Framed in the highlight colour: it serves the slot the user pointed at.
    void setHighlighted(bool highlighted);
    bool highlighted() const { return m_highlighted; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Handlers m_handlers;
    bool m_chosen = false;
    bool m_highlighted = false;
    QPoint m_pressPos;
    bool m_pressed = false;
    bool m_moved = false;
};

// The headings of the two mark columns at the right end of the channel blocks, each ending
// in a leader line down to its column: the texts are wider than the columns.
class MarkHeadings : public QWidget {
public:
    explicit MarkHeadings(QWidget* parent);
    // Texts from left to right column; centres of the columns in this widget's coordinates.
    void setHeadings(const QString& left, const QString& right);
    void setColumns(int leftCentre, int rightCentre);
    QStringList texts() const { return {m_left, m_right}; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_left, m_right;
    int m_leftCentre = 0, m_rightCentre = 0;
};
