#pragma once

#include <QLineEdit>

// One masked time cell t(i). The whole editing is done here: Left and Right
// move the caret as usual, Delete, Backspace and digits follow the editing
// tables, every other key and character is swallowed. Its own context menu
// and the middle click paste by typing digit by digit through the same
// tables; drops and input-method text are refused.
class TimeCell : public QLineEdit {
    Q_OBJECT
public:
    TimeCell(int index, QWidget* parent);
    int index() const { return index_; }

signals:
    // The last digit was typed: the focus goes to cell index + 1.
    void advance(int index);

public:
    // Types the digits of `pasted` at the caret as keystrokes would; the rest is passed over.
    void pasteThroughRules(const QString& pasted);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int selStart() const;
    void apply(const QString& text);
    // One digit at the caret; false when nothing was typed.
    bool typeDigit(QChar digit);
    void blankSelection();

    int index_;
};
