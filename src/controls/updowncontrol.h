#pragma once

#include <QBasicTimer>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

// A pair of small arrow buttons beside an edit (its buddy) that step the
// number in the edit. The buddy is by default the widget created just before
// the control under the same parent; at its first showing the control moves
// to the buddy's right edge and the buddy gives up that room. Steps wrap past
// either end of the range, the Up and Down keys in the buddy step too, and
// numbers are written without group separators. Only steps keep to the
// range: what the user types into the buddy stays as typed.
class UpDownControl : public QWidget
{
    Q_OBJECT

public:
    explicit UpDownControl(QWidget *parent = nullptr);

    QLineEdit *buddy() const { return m_buddy; }
    void setBuddy(QLineEdit *buddy);

    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }

    // Moves the buddy's number by `steps` within the range, wrapping past its
    // ends, and writes the result into the buddy. From a number outside the
    // range, the first step towards the range lands on its nearer end, and a
    // step away from it starts from that end; a buddy without a number starts
    // from the last value this control wrote.
    void stepBy(int steps);

    QSize sizeHint() const override;

signals:
    // A step rewrote the buddy's text. Like QLineEdit::textEdited, this
    // counts as a change the user made, unlike the program's own setText().
    void buddyEdited(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void alignToBuddy();
    int buddyValue() const;

    QPointer<QLineEdit> m_buddy;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
    // +1 while the upper arrow is held down, -1 for the lower one.
    int m_heldStep = 0;
    bool m_aligned = false;
    QBasicTimer m_repeat;
};
