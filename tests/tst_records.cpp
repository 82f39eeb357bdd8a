#include "gui/RecordsDialog.h"
#include "platform/EventLog.h"
#include "platform/JournalReader.h"
#include "support/StartedForm.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <chrono>
#include <future>

#include <unistd.h>

namespace {
const QString kRung = QStringLiteral("Çalıyor: Öğretmen Giriş Zili (Melodi 6.wav)");
const QString kMissed =
    QStringLiteral("Öğrenci Giriş Zili 10:05 çalmadı: zamanı geçmişti (uyku ya da saat ayarı)");
} // namespace

class RecordsTest : public QObject {
    Q_OBJECT
private slots:
    // A journal file as journald writes it: this user's lines of this program
    // in the last 7 days, newest first; other programs, other users and
    // older days are left out.
    void journalGivesThisUsersLinesNewestFirst() {
        const QString remote = QStringLiteral("/lib/systemd/systemd-journal-remote");
        if (!QFileInfo(remote).isExecutable())
            QSKIP("no systemd-journal-remote to write a journal file with");
        QTemporaryDir dir;
        const qint64 now = QDateTime::currentMSecsSinceEpoch() * 1000;
        constexpr qint64 hour = 3600LL * 1000 * 1000;
        const uint me = ::getuid();
        QByteArray stream;
        int n = 0;
        const auto add = [&](qint64 usec, const char* identifier, uint uid, const QString& message,
                             int priority) {
            stream +=
                "__REALTIME_TIMESTAMP=" + QByteArray::number(usec) +
                "\n__MONOTONIC_TIMESTAMP=" + QByteArray::number(++n * 1000) +
                "\n_BOOT_ID=0123456789abcdef0123456789abcdef\nSYSLOG_IDENTIFIER=" + identifier +
                "\n_UID=" + QByteArray::number(uid) + "\nPRIORITY=" + QByteArray::number(priority) +
                "\nMESSAGE=" + message.toUtf8() + "\n\n";
        };
        add(now - 9 * 24 * hour, "velmar-dorl", me, QStringLiteral("Geçen ayın zili"), 6);
        add(now - 3 * hour, "velmar-dorl", me, kMissed, 4);
        add(now - 2 * hour, "cron", me, QStringLiteral("başka bir program"), 6);
        add(now - 2 * hour, "velmar-dorl", me + 1, QStringLiteral("başka bir kullanıcı"), 6);
        add(now - 1 * hour, "velmar-dorl", me, kRung, 6);
        QProcess writer;
        writer.start(remote, {QStringLiteral("-o"), dir.path() + QStringLiteral("/test.journal"),
                              QStringLiteral("-")});
        QVERIFY(writer.waitForStarted(5000));
        writer.write(stream);
        writer.closeWriteChannel();
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitCode(), 0);

        const QDateTime since = QDateTime::currentDateTime().addDays(-7);
        const auto entries = journal::read(since, 100, dir.path());
        QVERIFY(entries);
        QCOMPARE(entries->size(), size_t(2));
        QCOMPARE(entries->at(0).message, kRung);
        QCOMPARE(entries->at(1).message, kMissed);
        QVERIFY(entries->at(1).level == eventlog::Level::Warning);
        QCOMPARE(entries->at(0).when.toMSecsSinceEpoch(), (now - hour) / 1000);
        QCOMPARE(journal::read(since, 1, dir.path())->size(), size_t(1));
    }

    // The window is up while the lines are still being read; they come in
    // newest first, and "Kopyala" copies them all.
    void linesAreReadOffTheWindowsThread() {
        std::promise<void> gate;
        std::shared_future<void> open = gate.get_future().share();
        const QDateTime at(QDate(2026, 12, 7), QTime(10, 5, 30));
        RecordsDialog dialog(nullptr, [open, at] {
            open.wait_for(std::chrono::seconds(20));
            return std::vector<eventlog::Entry>{{at.addSecs(60), eventlog::Level::Info, kRung},
                                                {at, eventlog::Level::Warning, kMissed}};
        });
        dialog.show();
        QCOMPARE(dialog.list()->toPlainText(), QStringLiteral("Kayıtlar okunuyor…"));
        gate.set_value();
        const QString expected = QStringLiteral("2026-12-07 10:06:30  ") + kRung +
                                 QStringLiteral("\n2026-12-07 10:05:30  ") + kMissed;
        QTRY_COMPARE(dialog.list()->toPlainText(), expected);
        dialog.findChild<QPushButton*>(QStringLiteral("cmdKopyala"))->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    }

    // "Kayıtlar" on the toolbar, where no journal runs (as on this rig): the
    // run's own bells, rung and missed, newest first.
    void toolbarShowsTheRunsBells() {
        Started s;
        eventlog::warning(kMissed);
        eventlog::info(kRung);
        s.form->findChild<QAction*>(QStringLiteral("Toolbar1_kayitlar"))->trigger();
        auto* dialog = s.form->findChild<RecordsDialog*>(QStringLiteral("frmKayitlar"));
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QTRY_VERIFY(dialog->list()->toPlainText().contains(kMissed));
        const QString text = dialog->list()->toPlainText();
        QVERIFY2(text.indexOf(kRung) < text.indexOf(kMissed), qPrintable(text));
        s.form->findChild<QAction*>(QStringLiteral("Toolbar1_kayitlar"))->trigger();
        QCOMPARE(s.form->findChildren<RecordsDialog*>().size(), 1);
    }

    // The run's own record keeps only its newest lines.
    void inRunRecordIsBounded() {
        eventlog::setSink([](eventlog::Level, const QString&) {});
        for (int i = 0; i < eventlog::kRecentEntries + 10; ++i)
            eventlog::info(QString::number(i));
        eventlog::setSink({});
        const std::vector<eventlog::Entry> kept = eventlog::recent();
        QCOMPARE(int(kept.size()), eventlog::kRecentEntries);
        QCOMPARE(kept.back().message, QString::number(eventlog::kRecentEntries + 9));
    }
};

QTEST_MAIN(RecordsTest)
#include "tst_records.moc"
