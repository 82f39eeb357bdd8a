#include "timetable/TimeCell.h"

#include "platform/Timetable.h"
#include "timetable/TimeEntry.h"

#include <QKeyEvent>

TimeCell::TimeCell(int index, QWidget* parent) : QLineEdit(parent), index_(index) {
    setObjectName(QStringLiteral("t_%1").arg(index));
    setProperty("Tag", timetable::kindTag(timetable::kindOf(index)));
    setMaxLength(5);
    setAlignment(Qt::AlignCenter);
    setTextMargins(0, 0, 0, 0);
    // "08:15" has to fit a cell of 525 twips.
    setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; border: 1px solid palette(mid); }"));
    QFont small = font();
    small.setPointSizeF(7.5);
    setFont(small);
    setAcceptDrops(false);
}

int TimeCell::selStart() const {
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

// Setting a new text runs the change handler at once, before the next step.
void TimeCell::apply(const QString& text) {
    if (text != this->text())
        setText(text);
}

void TimeCell::keyPressEvent(QKeyEvent* event) {
    const int s = selStart();
    const int l = static_cast<int>(selectedText().size());
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        QLineEdit::keyPressEvent(event);
        return;
    case Qt::Key_Delete: {
        const timeentry::Edit edit = timeentry::deleteKey(text(), s, l);
        apply(edit.text);
        setCursorPosition(edit.caret);
        event->accept();
        return;
    }
    case Qt::Key_Backspace: {
        const timeentry::Edit edit = timeentry::backspaceKey(text(), s, l);
        apply(edit.text);
        setCursorPosition(edit.caret);
        event->accept();
        return;
    }
    default:
        break;
    }
    // The character of the same keystroke: only digits, and never inserted by the field itself.
    const QString typed = event->text();
    event->accept();
    if (typed.size() != 1 || !typed.at(0).isDigit() || typed.at(0).unicode() > '9')
        return;
    if (s >= 5)
        return;
    const timeentry::Edit edit = timeentry::digitKey(text(), s, l, typed.at(0));
    apply(edit.text);
    if (timeentry::movesFocusOn(index_, s))
        emit advance(index_);
    setCursorPosition(edit.caret);
}

void TimeCell::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // The first digit typed replaces the whole time.
    setSelection(0, std::min<int>(5, static_cast<int>(text().size())));
}
