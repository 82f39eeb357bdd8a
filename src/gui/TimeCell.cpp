#include "gui/TimeCell.h"

#include "core/TimeEntry.h"
#include "core/Timetable.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

TimeCell::TimeCell(int index, QWidget* parent) : QLineEdit(parent), index_(index) {
    setObjectName(QStringLiteral("t_%1").arg(index));
    setProperty("Tag", timetable::kindTag(timetable::kindOf(index)));
    setMaxLength(5);
    setAlignment(Qt::AlignCenter);
    setTextMargins(0, 0, 0, 0);
    // "08:15" has to fit a cell of 525 twips: no frame of the style's, a thin
    // border of its own (paintEvent). A style sheet would do it too, but one
    // on each of the 72 cells costs the hidden program 2.5 MB.
    setFrame(false);
    QFont small = font();
    small.setPointSizeF(7.5);
    setFont(small);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void TimeCell::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
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
    if (typed.size() != 1)
        return;
    const int caretBefore = s;
    if (typeDigit(typed.at(0)) && timeentry::movesFocusOn(index_, caretBefore)) {
        const int caret = cursorPosition();
        emit advance(index_);
        setCursorPosition(caret);
    }
}

bool TimeCell::typeDigit(QChar digit) {
    const int s = selStart();
    if (!digit.isDigit() || digit.unicode() > '9' || s >= 5)
        return false;
    const timeentry::Edit edit =
        timeentry::digitKey(text(), s, static_cast<int>(selectedText().size()), digit);
    apply(edit.text);
    setCursorPosition(edit.caret);
    return true;
}

void TimeCell::pasteThroughRules(const QString& pasted) {
    for (const QChar c : pasted) {
        if (c.isDigit())
            typeDigit(c);
    }
}

void TimeCell::blankSelection() {
    if (!hasSelectedText())
        return;
    const timeentry::Edit edit =
        timeentry::deleteKey(text(), selStart(), static_cast<int>(selectedText().size()));
    apply(edit.text);
    setCursorPosition(edit.caret);
}

// The cell's own menu: every action that changes the text goes through the tables.
void TimeCell::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool selected = hasSelectedText();
    const auto add = [menu](const char* name, const QString& caption, bool enabled,
                            const std::function<void()>& action) {
        QAction* item = menu->addAction(caption, action);
        item->setObjectName(QLatin1String(name));
        item->setEnabled(enabled);
    };
    add("cut", QStringLiteral("Kes"), selected, [this] {
        copy();
        blankSelection();
    });
    add("copy", QStringLiteral("Kopyala"), selected, [this] { copy(); });
    add("paste", QStringLiteral("Yapıştır"), !QGuiApplication::clipboard()->text().isEmpty(),
        [this] { pasteThroughRules(QGuiApplication::clipboard()->text()); });
    add("delete", QStringLiteral("Sil"), selected, [this] { blankSelection(); });
    menu->addSeparator();
    add("selectAll", QStringLiteral("Tümünü Seç"), !text().isEmpty(), [this] { selectAll(); });
    menu->popup(event->globalPos());
}

// The middle button pastes the selection on X11: through the tables too.
void TimeCell::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void TimeCell::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        const QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection())
            pasteThroughRules(clipboard->text(QClipboard::Selection));
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TimeCell::dragEnterEvent(QDragEnterEvent* event) {
    event->ignore();
}

void TimeCell::dropEvent(QDropEvent* event) {
    event->ignore();
}

void TimeCell::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // The first digit typed replaces the whole time.
    setSelection(0, std::min<int>(5, static_cast<int>(text().size())));
}
