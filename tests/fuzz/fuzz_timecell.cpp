// Keystrokes and pastes into a time cell, decoded from the input: arrows
// with and without Shift, Home, End, Delete, Backspace, digits and other
// characters, the focus coming in, a mouse selection, pastes by menu and by
// Ctrl+V or Shift+Insert with any text on the clipboard, and the program's
// own refresh from a stored value.
// Promised: the cell never holds more than five characters; from a time of
// the "HH:MM" form (digits or "_", the colon in the middle) only the form's
// own texts are reached; a key that is neither a digit, Delete nor Backspace
// changes nothing; the focus moves on only from a cell that has a next one.
#include "FuzzSupport.h"

#include "core/Timetable.h"
#include "gui/TimeCell.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QRegularExpression>

namespace {

bool isTimeForm(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^[0-9_]{2}:[0-9_]{2}$"));
    return form.match(text).hasMatch();
}

// Bytes in turn; zero once they are used up.
struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool done() const { return at >= size; }
    uint8_t next() { return at < size ? data[at++] : 0; }
    QString text(int maxBytes) {
        const int n = next() % (maxBytes + 1);
        QByteArray bytes;
        for (int i = 0; i < n && !done(); ++i)
            bytes.append(char(next()));
        return QString::fromUtf8(bytes);
    }
};

// Characters that look like digits to Unicode but are none of 0-9.
const QChar kOddCharacters[] = {QChar(0x0663), QChar(0xFF13), QChar(0x00B2), QChar(':'),
                                QChar(' '),    QChar('_'),    QChar(0x0130), QChar('\t')};

void press(TimeCell& cell, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString& text = QString()) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&cell, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&cell, &up);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::quietEnvironment();
    // Never destroyed: Qt's input devices go with it at exit, after what they need.
    new QApplication(*argc, *argv);
    // Fonts and the window system are set up once, not by the first input.
    TimeCell warm(0, nullptr);
    warm.show();
    QApplication::processEvents();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    const uint8_t which = in.next();
    // The cells whose last digit keeps the focus, one that passes it on, any other.
    const int special[] = {timetable::kLastWeekdayCell, timetable::kLastWeekendCell, 17, 0};
    const int index = which < 16 ? special[which % 4] : which % timetable::kCellCount;

    TimeCell cell(index, nullptr);
    cell.setText(timetable::defaultCellText(index)); // the page's refresh
    // Not shown: a window per input costs twenty times the editing, and keys
    // and focus reach a hidden cell the same way.
    bool advanced = false;
    QObject::connect(&cell, &TimeCell::advance, [&](int from) {
        FUZZ_CHECK(from == index, "the cell names itself");
        advanced = true;
    });

    while (!in.done()) {
        const QString before = cell.text();
        bool mayChange = true;
        bool mayLeaveForm = false;
        advanced = false;
        const uint8_t op = in.next();
        switch (op % 16) {
        case 0:
            press(cell, Qt::Key_Left, (op & 0x10) ? Qt::ShiftModifier : Qt::NoModifier);
            mayChange = false;
            break;
        case 1:
            press(cell, Qt::Key_Right, (op & 0x10) ? Qt::ShiftModifier : Qt::NoModifier);
            mayChange = false;
            break;
        case 2:
            press(cell, (op & 0x10) ? Qt::Key_Home : Qt::Key_End,
                  (op & 0x20) ? Qt::ShiftModifier : Qt::NoModifier);
            mayChange = false;
            break;
        case 3:
            press(cell, Qt::Key_Delete);
            break;
        case 4:
            press(cell, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
            break;
        case 5:
        case 6: {
            const QChar digit = QChar('0' + in.next() % 10);
            press(cell, Qt::Key_0 + (digit.unicode() - '0'), Qt::NoModifier, QString(digit));
            break;
        }
        case 7: {
            const QChar odd = kOddCharacters[in.next() % std::size(kOddCharacters)];
            press(cell, Qt::Key_unknown, Qt::NoModifier, QString(odd));
            mayChange = false;
            break;
        }
        case 8: {
            QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
            QApplication::sendEvent(&cell, &focus);
            mayChange = false;
            break;
        }
        case 9: {
            const int start = in.next() % 8;
            cell.setSelection(start, int(in.next() % 8) - 2);
            mayChange = false;
            break;
        }
        case 10:
            cell.pasteThroughRules(in.text(24)); // "Yapıştır" of the cell's menu
            break;
        case 11:
            QGuiApplication::clipboard()->setText(in.text(24));
            mayChange = false;
            break;
        case 12: {
            // Ctrl+V, Shift+Insert, Ctrl+X, Ctrl+Z, Ctrl+A: the field's own
            // editing shortcuts never reach the text.
            static const std::pair<int, Qt::KeyboardModifiers> shortcuts[] = {
                {Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier},
                {Qt::Key_X, Qt::ControlModifier}, {Qt::Key_Z, Qt::ControlModifier},
                {Qt::Key_A, Qt::ControlModifier}, {Qt::Key_Delete, Qt::ShiftModifier},
                {Qt::Key_Y, Qt::ControlModifier}, {Qt::Key_K, Qt::ControlModifier}};
            const auto& [key, modifiers] = shortcuts[in.next() % std::size(shortcuts)];
            press(cell, key, modifiers);
            mayChange = key == Qt::Key_Delete; // Shift+Delete is a Delete
            break;
        }
        case 13: {
            static const int keys[] = {Qt::Key_Up,     Qt::Key_Down,   Qt::Key_Return,
                                       Qt::Key_Insert, Qt::Key_Escape, Qt::Key_PageUp};
            press(cell, keys[in.next() % std::size(keys)]);
            mayChange = false;
            break;
        }
        case 14:
            // A stored value, fitted to five characters, put in by the program.
            cell.setText(in.text(8).left(5).leftJustified(5, QLatin1Char(' ')));
            mayLeaveForm = true;
            break;
        default: {
            // Typing with a modifier held: the character decides.
            const QChar digit = QChar('0' + in.next() % 10);
            press(cell, Qt::Key_0 + (digit.unicode() - '0'),
                  (op & 0x10) ? Qt::AltModifier : Qt::KeypadModifier, QString(digit));
            break;
        }
        }
        const QString after = cell.text();
        FUZZ_CHECK(after.size() <= 5, "a cell holds at most five characters");
        FUZZ_CHECK(cell.cursorPosition() >= 0 && cell.cursorPosition() <= after.size(),
                   "the caret stays in the text");
        if (!mayChange)
            FUZZ_CHECK(after == before, "only digits, Delete and Backspace change a time");
        if (isTimeForm(before) && !mayLeaveForm)
            FUZZ_CHECK(isTimeForm(after), "a time keeps its form");
        if (advanced)
            FUZZ_CHECK(index != timetable::kLastWeekdayCell && index != timetable::kLastWeekendCell,
                       "the focus moves on only where a next cell is");
    }
    return 0;
}
