#include "core/SettingsTable.h"
#include "core/TimeEntry.h"
#include "gui/TimeCell.h"
#include "gui/TimetablePage.h"
#include "platform/SettingsStore.h"
#include "support/StartedForm.h"

#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>
#include <QtTest>

using namespace timeentry;

// Rows of the editing tables, on the text "12:34" so that each position shows.
class TimeEntryTest : public QObject {
    Q_OBJECT
private:
    static void addColumns() {
        QTest::addColumn<int>("s");
        QTest::addColumn<int>("l");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
    }
    // The row's expected text and caret.
    static void expect(const Edit& edit) {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QCOMPARE(edit.text, text);
        QCOMPARE(edit.caret, caret);
    }
    static void row(int s, int l, const char* text, int caret) {
        QTest::addRow("s%d l%d", s, l) << s << l << QString::fromLatin1(text) << caret;
    }

private slots:
    void deleteTable_data() {
        addColumns();
        row(0, 0, "_2:34", 0);
        row(0, 1, "_2:34", 0);
        row(0, 2, "__:34", 0);
        row(0, 3, "__:34", 0);
        row(0, 4, "__:_4", 0);
        row(0, 5, "__:__", 0);
        row(1, 0, "1_:34", 1);
        row(1, 2, "1_:34", 1);
        row(1, 3, "1_:_4", 1);
        row(1, 4, "1_:__", 1);
        row(2, 0, "12:34", 2); // the colon stays
        row(2, 2, "12:_4", 2);
        row(2, 3, "12:__", 2);
        row(3, 1, "12:_4", 3);
        row(3, 2, "12:__", 3);
        row(4, 0, "12:3_", 4);
        row(4, 1, "12:3_", 4);
        row(5, 0, "12:34", 5); // at the end: nothing
        row(1, 5, "12:34", 1); // beyond the table
    }
    void deleteTable() {
        QFETCH(int, s);
        QFETCH(int, l);
        expect(deleteKey(QStringLiteral("12:34"), s, l));
    }

    void backspaceTable_data() {
        addColumns();
        row(0, 0, "12:34", 0);
        row(0, 1, "_2:34", 0);
        row(0, 2, "__:34", 0);
        row(0, 3, "__:34", 0);
        row(0, 4, "__:_4", 0);
        row(0, 5, "__:__", 0);
        row(1, 0, "_2:34", 0);
        row(1, 1, "1_:34", 1);
        row(1, 2, "1_:34", 1);
        row(1, 3, "1_:_4", 1);
        row(1, 4, "1_:__", 1);
        row(2, 0, "1_:34", 1);
        row(2, 1, "12:34", 3);
        row(2, 2, "12:_4", 3);
        row(2, 3, "12:__", 3);
        row(3, 0, "1_:34", 1); // just after the colon: the hour's last digit
        row(3, 1, "12:_4", 3);
        row(3, 2, "12:__", 3);
        row(4, 0, "12:_4", 3);
        row(4, 1, "12:3_", 4);
        row(5, 0, "12:3_", 4);
        row(5, 3, "12:3_", 4);
        row(3, 3, "12:34", 3); // beyond the table
    }
    void backspaceTable() {
        QFETCH(int, s);
        QFETCH(int, l);
        expect(backspaceKey(QStringLiteral("12:34"), s, l));
    }

    void digitTable_data() {
        addColumns();
        row(0, 0, "92:34", 1);
        row(0, 1, "92:34", 1);
        row(0, 2, "9_:34", 1);
        row(0, 3, "9_:34", 1);
        row(0, 4, "9_:_4", 1);
        row(0, 5, "9_:__", 1);
        row(1, 0, "19:34", 3);
        row(1, 2, "19:34", 3);
        row(1, 3, "19:_4", 3);
        row(1, 4, "19:__", 3);
        row(2, 0, "12:94", 4); // before the colon: lands after it
        row(2, 1, "12:94", 4);
        row(2, 2, "12:94", 4);
        row(2, 3, "12:9_", 4);
        row(3, 0, "12:94", 4);
        row(3, 2, "12:9_", 4);
        row(4, 0, "12:39", 5);
        row(4, 1, "12:39", 5);
        row(4, 2, "12:34", 5); // beyond the table: unchanged, caret as for s
        row(3, 3, "12:34", 4);
    }
    void digitTable() {
        QFETCH(int, s);
        QFETCH(int, l);
        expect(digitKey(QStringLiteral("12:34"), s, l, QLatin1Char('9')));
    }

    void typingATimeStoresEachStepAndMovesOn() {
        Started s;
        s.form->tabs()->setCurrentIndex(1);
        TimetablePage* page = s.form->saatlerPage();
        TimeCell* cell = page->cell(0);
        cell->setFocus();
        QVERIFY(cell->hasFocus());
        QCOMPARE(cell->selectedText(), QStringLiteral("08:15"));
        QStringList texts, stored;
        QList<int> carets;
        for (char digit : {'0', '8', '3', '0'}) {
            QTest::keyClick(cell, digit);
            texts << cell->text();
            carets << cell->cursorPosition();
            stored << s.store->get(settings::timex(0));
        }
        QCOMPARE(texts, (QStringList{"0_:__", "08:__", "08:3_", "08:30"}));
        QCOMPARE(stored, texts);
        QCOMPARE(carets, (QList<int>{1, 3, 4, 5}));
        QCOMPARE(s.form->values().timex[0], QStringLiteral("08:30"));
        QVERIFY(page->cell(1)->hasFocus());
        QCOMPARE(page->cell(1)->selectedText(), QStringLiteral("08:30"));

        // Cell 17 hands over to 18, the afternoon's first.
        page->cell(17)->setFocus();
        QTest::keyClicks(page->cell(17), QStringLiteral("1600"));
        QVERIFY(page->cell(18)->hasFocus());
    }

    void lastCellsKeepTheFocus() {
        Started s;
        s.form->tabs()->setCurrentIndex(4);
        TimeCell* cell = s.form->haftaSonuPage()->cell(71);
        cell->setFocus();
        QTest::keyClicks(cell, QStringLiteral("12345"));
        QVERIFY(cell->hasFocus());
        QCOMPARE(cell->text(), QStringLiteral("12:34"));
        QCOMPARE(cell->cursorPosition(), 5);
        QCOMPARE(s.store->get(settings::timex(71)), QStringLiteral("12:34"));
    }

    void otherKeysDoNothingButArrowsMove() {
        Started s;
        s.form->tabs()->setCurrentIndex(1);
        TimeCell* cell = s.form->saatlerPage()->cell(5);
        cell->setFocus();
        cell->setCursorPosition(2);
        QTest::keyClicks(cell, QStringLiteral("a :-"));
        for (Qt::Key key :
             {Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_Return, Qt::Key_Insert})
            QTest::keyClick(cell, key);
        QCOMPARE(cell->text(), QStringLiteral("10:05"));
        QCOMPARE(cell->cursorPosition(), 2);
        QTest::keyClick(cell, Qt::Key_Right);
        QCOMPARE(cell->cursorPosition(), 3);
        QTest::keyClick(cell, Qt::Key_Backspace); // just after the colon
        QCOMPARE(cell->text(), QStringLiteral("1_:05"));
        QCOMPARE(cell->cursorPosition(), 1);
        QTest::keyClick(cell, Qt::Key_Left);
        QTest::keyClick(cell, Qt::Key_Delete);
        QCOMPARE(cell->text(), QStringLiteral("__:05"));
        QTest::keyClicks(cell, QStringLiteral("99"));
        cell->setCursorPosition(2);
        QTest::keyClicks(cell, QStringLiteral("99"));
        QCOMPARE(cell->text(), QStringLiteral("99:99")); // no range check
        QCOMPARE(s.store->get(settings::timex(5)), QStringLiteral("99:99"));
    }

    void pasteGoesThroughTheTablesDropsAreRefused() {
        Started s;
        s.form->tabs()->setCurrentIndex(1);
        TimeCell* cell = s.form->saatlerPage()->cell(0);
        cell->setFocus(); // all selected, as the first keystroke finds it
        QGuiApplication::clipboard()->setText(QStringLiteral("8.15 "));
        QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(2, 2),
                               cell->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(cell, &open);
        QMenu* menu = cell->findChild<QMenu*>();
        QVERIFY(menu);
        QAction* paste = menu->findChild<QAction*>(QStringLiteral("paste"));
        QAction* cut = menu->findChild<QAction*>(QStringLiteral("cut"));
        QVERIFY(paste && cut);
        // Typed digit by digit: what the cell shows is what is stored.
        paste->trigger();
        QCOMPARE(cell->text(), QStringLiteral("81:5_"));
        QCOMPARE(s.store->get(settings::timex(0)), QStringLiteral("81:5_"));
        cell->selectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("09:40"));
        paste->trigger();
        QCOMPARE(cell->text(), QStringLiteral("09:40"));
        cell->setSelection(3, 2);
        cut->trigger();
        QCOMPARE(cell->text(), QStringLiteral("09:__"));
        QCOMPARE(s.store->get(settings::timex(0)), QStringLiteral("09:__"));
        menu->close();

        QMimeData* dragged = new QMimeData;
        dragged->setText(QStringLiteral("7"));
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(cell, &drop);
        QCOMPARE(cell->text(), QStringLiteral("09:__"));
        delete dragged;
    }

    void textFromCodeIsFittedAndRefreshStoresNothing() {
        Started s;
        TimetablePage* page = s.form->saatlerPage();
        page->cell(3)->setText(QStringLiteral("8:30"));
        QCOMPARE(s.store->get(settings::timex(3)), QStringLiteral("8:30 "));
        const QByteArray before = s.folders.settingsBytes();
        s.form->values().timex[4] = QStringLiteral("07:00");
        s.form->tabs()->setCurrentIndex(1);
        QCOMPARE(page->cell(4)->text(), QStringLiteral("07:00"));
        s.form->tabs()->setCurrentIndex(4);
        s.form->tabs()->setCurrentIndex(1);
        QCOMPARE(s.folders.settingsBytes(), before);
    }
};

QTEST_MAIN(TimeEntryTest)
#include "tst_timeentry.moc"
