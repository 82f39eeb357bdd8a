// The settings file survives being killed in the middle of writing: 200 runs
// of a storm of stored changes, each cut short by SIGKILL at a random moment.
#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "platform/SettingsStore.h"
#include "support/DiskFull.h"
#include "support/TestFolders.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <cstdio>

namespace {
// What the storm writes to cell i on its n-th round: always a five-character time.
QString stormValue(int n) {
    return QStringLiteral("%1:%2")
        .arg(n / 60 % 24, 2, 10, QLatin1Char('0'))
        .arg(n % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

class DurabilityTest : public QObject {
    Q_OBJECT
private slots:
    void killedDuringAStormOfChanges() {
        if (qEnvironmentVariableIsSet("VELMAR_STORM")) {
            SettingsStore store;
            for (int n = 0;; ++n) {
                store.save(settings::timex(n % 72), stormValue(n));
                store.save(settings::sesx(n % 10), QString::number(n % 100 + 1));
                if (n == 0) { // the test kills only a storm that is under way
                    std::fputs("storming\n", stdout);
                    std::fflush(stdout);
                }
            }
        }
        TestFolders folders;
        {
            SettingsStore seed; // every key present once, with its default
            for (const settings::Setting& s : settings::table())
                seed.save(s, s.defaultValue);
        }
        const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d$"));
        const QRegularExpression volume(QStringLiteral("^\\d{1,3}$"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELMAR_STORM", "1");
        env.insert("XDG_CONFIG_HOME", folders.config());
        int killedWhileWriting = 0;
        for (int run = 0; run < 200; ++run) {
            QProcess storm;
            storm.setProcessEnvironment(env);
            storm.start(QCoreApplication::applicationFilePath(), {"killedDuringAStormOfChanges"});
            QVERIFY(storm.waitForStarted(5000));
            const bool storming = storm.waitForReadyRead(30000);
            QTest::qWait(QRandomGenerator::global()->bounded(0, 100));
            ::kill(static_cast<pid_t>(storm.processId()), SIGKILL);
            QVERIFY(storm.waitForFinished(5000));
            killedWhileWriting += storming && storm.exitStatus() == QProcess::CrashExit;

            SettingsStore store;
            QVERIFY2(!store.foundBroken(), qPrintable(QString::number(run)));
            for (int i = 0; i < 72; ++i) {
                const QString value = store.get(settings::timex(i).section, settings::timex(i).key,
                                                QStringLiteral("<missing>"));
                QVERIFY2(
                    value == settings::timex(i).defaultValue || time.match(value).hasMatch(),
                    qPrintable(QStringLiteral("run %1 timex(%2) = %3").arg(run).arg(i).arg(value)));
            }
            for (int i = 0; i < 10; ++i) {
                const QString value = store.get(settings::sesx(i).section, settings::sesx(i).key,
                                                QStringLiteral("<missing>"));
                QVERIFY2(volume.match(value).hasMatch(), qPrintable(value));
            }
            QCOMPARE(store.get(settings::zil(2)), QStringLiteral("Melodi 1.wav"));
        }
        QCOMPARE(killedWhileWriting, 200);
    }

    // A write that fails leaves nothing behind: the store holds what the
    // file holds, the next change does not carry the lost value to disk, and
    // a later write that succeeds says so.
    void failedWriteLeavesNothingPending() {
        TestFolders folders;
        SettingsStore store;
        QVERIFY(store.save(settings::timex(5), QStringLiteral("10:00")));
        {
            DiskFull full(folders.settingsBytes().size());
            QVERIFY(!store.save(settings::timex(6), QStringLiteral("11:11")));
            QVERIFY(!store.save(settings::sesx(2), QStringLiteral("33")));
        }
        QCOMPARE(store.get(settings::timex(6)), settings::timex(6).defaultValue);
        StoredValues v;
        loadStoredValues(store, v);
        QCOMPARE(v.Sesx[2], qint16(70));
        QVERIFY(store.save(settings::aktif(), QStringLiteral("0")));
        const QByteArray bytes = folders.settingsBytes();
        QVERIFY2(bytes.contains("Aktif=0") && bytes.contains("10:00"), bytes.constData());
        QVERIFY2(!bytes.contains("11:11") && !bytes.contains("=33"), bytes.constData());
        QCOMPARE(SettingsStore().get(settings::timex(6)), settings::timex(6).defaultValue);
    }
};

QTEST_GUILESS_MAIN(DurabilityTest)
#include "tst_durability.moc"
