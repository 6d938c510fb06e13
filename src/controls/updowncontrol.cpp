#include "updowncontrol.h"

#include "timetext.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>

namespace {
// Holding an arrow down steps again after a pause, then at a steady pace.
constexpr int FirstRepeatDelayMs = 400;
constexpr int RepeatIntervalMs = 60;

bool startsWithNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    if (trimmed.front() == u'-' || trimmed.front() == u'+')
        return trimmed.size() > 1 && trimmed.at(1).isDigit();
    return trimmed.front().isDigit();
}
} // namespace

UpDownControl::UpDownControl(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    // Automatic buddy: the sibling widget created just before this control.
    if (parent) {
        const QObjectList &siblings = parent->children();
        for (qsizetype i = siblings.indexOf(this) - 1; i >= 0; --i) {
            if (siblings.at(i)->isWidgetType()) {
                setBuddy(qobject_cast<QLineEdit *>(siblings.at(i)));
                break;
            }
        }
    }
}

void UpDownControl::setBuddy(QLineEdit *buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (m_buddy)
        m_buddy->installEventFilter(this);
    m_aligned = false;
    if (isVisible())
        alignToBuddy();
}

void UpDownControl::setRange(int minimum, int maximum)
{
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
    m_value = std::clamp(m_value, m_minimum, m_maximum);
}

int UpDownControl::buddyValue() const
{
    if (!m_buddy || !startsWithNumber(m_buddy->text()))
        return m_value;
    return LeadingNumber(m_buddy->text());
}

void UpDownControl::stepBy(int steps)
{
    if (!m_buddy || !isEnabled())
        return;
    const qint64 span = qint64(m_maximum) - m_minimum + 1;
    const int value = buddyValue();
    // From outside the range, the first step towards it lands on its nearer
    // end; a step away from it starts from that end.
    if ((value < m_minimum && steps > 0) || (value > m_maximum && steps < 0))
        steps += steps > 0 ? -1 : 1;
    const qint64 from = std::clamp(value, m_minimum, m_maximum) - qint64(m_minimum);
    qint64 offset = (from + steps) % span;
    if (offset < 0)
        offset += span;
    m_value = int(m_minimum + offset);

    // Never QLocale: the number is written without group separators.
    const QString text = QString::number(m_value);
    m_buddy->setText(text);
    emit buddyEdited(text);
}

QSize UpDownControl::sizeHint() const
{
    return {16, 23};
}

bool UpDownControl::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: while the buddy is being destroyed it is no longer an
    // edit, and comparing the guarded pointer would look at it as one.
    if (event->type() == QEvent::KeyPress && watched == m_buddy) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
                stepBy(key->key() == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDownControl::alignToBuddy()
{
    if (!m_buddy || m_aligned || m_buddy->parentWidget() != parentWidget())
        return;
    m_aligned = true;
    const QRect edit = m_buddy->geometry();
    const int w = width();
    m_buddy->setGeometry(edit.x(), edit.y(), std::max(0, edit.width() - w), edit.height());
    setGeometry(edit.right() + 1 - w, edit.y(), w, edit.height());
}

void UpDownControl::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    alignToBuddy();
}

void UpDownControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        const int step = i == 0 ? 1 : -1;
        QStyleOption option;
        option.initFrom(this);
        option.rect = halves[i];
        option.state |= QStyle::State_Raised;
        if (m_heldStep == step)
            option.state = (option.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, this);
        option.rect = halves[i].adjusted(3, 2, -3, -2);
        style()->drawPrimitive(step > 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &option, &painter, this);
    }
}

void UpDownControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_heldStep = event->position().y() < height() / 2 ? 1 : -1;
    stepBy(m_heldStep);
    m_repeat.start(FirstRepeatDelayMs, this);
    update();
}

void UpDownControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_heldStep = 0;
    m_repeat.stop();
    update();
}

void UpDownControl::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_repeat.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_repeat.start(RepeatIntervalMs, this);
    stepBy(m_heldStep);
}
