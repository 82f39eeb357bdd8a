#pragma once

#include <QLineEdit>

// One masked time cell t(i). The whole editing is done here: Left and Right
// move the caret as usual, Delete, Backspace and digits follow the editing
// tables, every other key and character is swallowed.
class TimeCell : public QLineEdit {
    Q_OBJECT
public:
    TimeCell(int index, QWidget* parent);
    int index() const { return index_; }

signals:
    // The last digit was typed: the focus goes to cell index + 1.
    void advance(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    int selStart() const;
    void apply(const QString& text);

    int index_;
};
