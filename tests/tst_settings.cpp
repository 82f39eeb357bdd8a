#include "core/Backup.h"
#include "core/Holidays.h"
#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "core/ValueConversion.h"
#include "platform/SettingsStore.h"
#include "support/DiskFull.h"
#include "support/TestFolders.h"

#include <QSettings>
#include <QtTest>

#include <sys/stat.h>

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void emptyStoreGivesDefaultsAndWritesNothing() {
        TestFolders folders;
        SettingsStore store;
        QCOMPARE(store.filePath(), folders.settingsFile());
        StoredValues v;
        loadStoredValues(store, v);
        QCOMPARE(v.Zil[0], QStringLiteral("Melodi 5.wav"));
        QCOMPARE(v.Zil[1], QStringLiteral("Melodi 6.wav"));
        QCOMPARE(v.Zil[2], QStringLiteral("Melodi 1.wav"));
        QCOMPARE(v.timex[0], QStringLiteral("08:15"));
        QCOMPARE(v.timex[1], QStringLiteral("08:30"));
        QCOMPARE(v.timex[2], QStringLiteral("09:10"));
        QCOMPARE(v.timex[18], QStringLiteral("__:__"));
        QCOMPARE(v.timex[71], QStringLiteral("__:__"));
        QCOMPARE(v.Anons[0], QStringLiteral("1"));
        QCOMPARE(v.Anons[1], QStringLiteral("0"));
        QCOMPARE(v.ZilIptal, QStringLiteral("1"));
        QCOMPARE(v.Aktif, qint16(1));
        QCOMPARE(QList<qint16>(v.Sesx.begin(), v.Sesx.end()),
                 (QList<qint16>{70, 70, 70, 10, 50, 50, 50, 80, 80, 80}));
        QCOMPARE(v.MusicT[0], qint16(1));
        QCOMPARE(v.MusicT[3], qint16(0));
        QCOMPARE(v.MusicT[10], qint16(1));
        QCOMPARE(v.MusicT[23], qint16(0));
        QCOMPARE(v.MasterVolume, QStringLiteral("0"));
        QVERIFY(!QFile::exists(folders.settingsFile()));
    }

    void keyNames() {
        QCOMPARE(settings::musicT(23).key, QStringLiteral("MusicT(23)"));
        QCOMPARE(settings::timex(71).key, QStringLiteral("timex(71)"));
        QCOMPARE(settings::musicT(23).section, QStringLiteral("Müzik"));
        QCOMPARE(settings::table().size(),
                 size_t(3 + 72 + 3 + 1 + 1 + 10 + 24 + 1 + 3 + 3 + 7 + 2 + 4));
        QCOMPARE(settings::gunTablosu(6).key, QStringLiteral("Gun(6)"));
        QCOMPARE(settings::torenSaati(1).section + QLatin1Char('/') + settings::torenSaati(1).key,
                 QStringLiteral("Tören/TorenSaati(1)"));
    }

    void int16Conversion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -99999: does not convert
        QTest::newRow("plain") << "10" << 10;
        QTest::newRow("blanks") << " 7 " << 7;
        QTest::newRow("half down to even") << "2.5" << 2;
        QTest::newRow("half up to even") << "3.5" << 4;
        QTest::newRow("negative half") << "-2.5" << -2;
        QTest::newRow("fraction") << "70.6" << 71;
        QTest::newRow("exponent") << "1e2" << 100;
        QTest::newRow("top") << "32767" << 32767;
        QTest::newRow("bottom") << "-32768" << -32768;
        QTest::newRow("over") << "32768" << -99999;
        QTest::newRow("rounds over") << "32767.5" << -99999;
        QTest::newRow("letters") << "abc" << -99999;
        QTest::newRow("number then letters") << "12abc" << -99999;
        QTest::newRow("empty") << "" << -99999;
        QTest::newRow("infinity") << "inf" << -99999;
    }
    void int16Conversion() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const auto value = conversion::toInt16(text);
        if (expected == -99999)
            QVERIFY(!value.has_value());
        else
            QCOMPARE(int(value.value_or(-1)), expected);
    }

    void storedTextsAreFitted() {
        TestFolders folders;
        folders.writeSettings("[Anonslar]\nAnons%280%29=10\nAnons%281%29=\nZilIptal=0\n"
                              "[Saatler]\ntimex%280%29=08:150\ntimex%281%29=8:30\n"
                              "timex%282%29=\n"
                              "[M%FCzik]\nAktif=abc\nMusicT%2823%29=1\n"
                              "[Ses]\nSesx%280%29=abc\nSesx%281%29=99999\nSesx%282%29=2.5\n");
        SettingsStore store;
        StoredValues v;
        loadStoredValues(store, v);
        QCOMPARE(v.Anons[0], QStringLiteral("1"));
        QCOMPARE(v.Anons[1], QStringLiteral(" "));
        QCOMPARE(v.ZilIptal, QStringLiteral("0"));
        QCOMPARE(v.timex[0], QStringLiteral("08:15"));
        QCOMPARE(v.timex[1], QStringLiteral("8:30 "));
        QCOMPARE(v.timex[2], QStringLiteral("     "));
        QCOMPARE(v.Aktif, qint16(0)); // does not convert: stays at its start value
        QCOMPARE(v.MusicT[23], qint16(1));
        QCOMPARE(v.Sesx[0], qint16(0));
        QCOMPARE(v.Sesx[1], qint16(0));
        QCOMPARE(v.Sesx[2], qint16(2));

        // A second load over the same values keeps what does not convert.
        v.Aktif = 1;
        loadStoredValues(store, v);
        QCOMPARE(v.Aktif, qint16(1));
    }

    void valueSurvivesRestartAndRemovedKeyFallsBack() {
        TestFolders folders;
        {
            SettingsStore store;
            QVERIFY(store.save(settings::timex(5), QStringLiteral("10:00")));
            QVERIFY(store.save(settings::zil(2), QStringLiteral("Zil ğüşiöç.mp3")));
        }
        // Durable on return: another reader sees it without any help.
        QVERIFY(folders.settingsBytes().contains("10:00"));
        {
            SettingsStore store;
            StoredValues v;
            loadStoredValues(store, v);
            QCOMPARE(v.timex[5], QStringLiteral("10:00"));
            QCOMPARE(v.Zil[2], QStringLiteral("Zil ğüşiöç.mp3"));
        }
        QByteArray bytes = folders.settingsBytes();
        bytes.replace("timex%285%29=10:00\n", "");
        folders.writeSettings(bytes);
        SettingsStore store;
        StoredValues v;
        loadStoredValues(store, v);
        QCOMPARE(v.timex[5], QStringLiteral("10:05"));
        QCOMPARE(v.Zil[2], QStringLiteral("Zil ğüşiöç.mp3"));
    }

    // A value set for every PC of a school under XDG_CONFIG_DIRS is used
    // where the user's file has none, and never where it has one.
    void systemWideValuesFillWhatTheUsersFileLacks() {
        TestFolders folders;
        const QString system = folders.root() + QStringLiteral("/etc-xdg");
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(folders.root() + "/none:" + system));
        {
            QSettings school(system + QStringLiteral("/VelmarDorl/VelmarDorl.ini"),
                             QSettings::IniFormat);
            school.setValue(QStringLiteral("Saatler/timex(3)"), QStringLiteral("07:00"));
            school.setValue(QStringLiteral("Melodiler/Zil(0)"), QStringLiteral("Okul.mp3"));
        }
        SettingsStore store;
        qunsetenv("XDG_CONFIG_DIRS");
        QVERIFY(store.save(settings::timex(3), QStringLiteral("08:00")));
        StoredValues v;
        loadStoredValues(store, v);
        QCOMPARE(v.timex[3], QStringLiteral("08:00"));
        QCOMPARE(v.Zil[0], QStringLiteral("Okul.mp3"));
        QCOMPARE(v.timex[4], settings::timex(4).defaultValue);
        QVERIFY(!folders.settingsBytes().contains("Okul.mp3")); // only read
    }

    void brokenFileIsKeptBeforeTheFirstWrite() {
        TestFolders folders;
        QByteArray garbage("[Saatler]\ntimex%280%29=07:45\n");
        garbage.append(QByteArray::fromHex("fffe0001") + "binary" + QByteArray::fromHex("80810a"));
        folders.writeSettings(garbage);
        SettingsStore store;
        QVERIFY(store.foundBroken());
        StoredValues v;
        loadStoredValues(store, v); // what can be read is read; no crash
        QVERIFY(store.brokenCopyPath().isEmpty());
        QCOMPARE(folders.settingsBytes(), garbage); // reading never rewrites

        QVERIFY(store.save(settings::hwnd(), QStringLiteral("42")));
        QVERIFY(!store.brokenCopyPath().isEmpty());
        QFile copy(store.brokenCopyPath());
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), garbage);
        QVERIFY(store.save(settings::hwnd(), QStringLiteral("43")));
        QCOMPARE(QDir(folders.config() + "/VelmarDorl")
                     .entryList({QStringLiteral("*.broken-*")}, QDir::Files)
                     .size(),
                 1);
        SettingsStore reread;
        QVERIFY(!reread.foundBroken());
        QCOMPARE(reread.get(settings::hwnd()), QStringLiteral("43"));
    }

    void unwritableFolderFailsQuietly() {
        if (::geteuid() == 0)
            QSKIP("root writes everywhere");
        TestFolders folders;
        QDir().mkpath(folders.config() + "/VelmarDorl");
        ::chmod(QFile::encodeName(folders.config() + "/VelmarDorl").constData(), 0500);
        SettingsStore store;
        QVERIFY(!store.save(settings::aktif(), QStringLiteral("0")));
        ::chmod(QFile::encodeName(folders.config() + "/VelmarDorl").constData(), 0700);
    }

    void holidayListsReadBackAndNonsenseIsRefused() {
        using namespace holidays;
        const auto days = parseDates(" 2027-04-23, 2027-06-25..2027-09-06,2027-04-24");
        QVERIFY(days);
        QCOMPARE(days->size(), size_t(2 + 74));
        QCOMPARE(formatDates(*days),
                 QStringLiteral("2027-04-23..2027-04-24,2027-06-25..2027-09-06"));
        QCOMPARE(parseDates(QString())->size(), size_t(0));
        for (const char* bad : {"2027-02-30", "2027-09-06..2027-06-25", "23.04.2027", "2027-4-23",
                                "2027-04-23,", "0001-01-01..9999-12-31", "tatil"})
            QVERIFY2(!parseDates(QString::fromLatin1(bad)), bad);
        // Ranges written over one another count every day they name: a backup
        // of a few kilobytes must not keep the program busy at every start.
        const QString year = QStringLiteral("2027-01-01..2027-12-31");
        const QString oneDayShort = QDate(2027, 1, 1).addDays(kMaxDays - 1).toString(Qt::ISODate);
        QCOMPARE(parseDates(QStringLiteral("2027-01-01..") + oneDayShort)->size(),
                 size_t(kMaxDays));
        QVERIFY(!parseDates(QStringList(kMaxDays / 365 + 1, year).join(QLatin1Char(','))));
        QCOMPARE(parseYears(QStringLiteral("2027,2026"))->size(), size_t(2));
        QVERIFY(!parseYears(QStringLiteral("2026,yarın")));
    }

    void nationalDaysAreMarkedUntilTheUserChangesTheirYear() {
        TestFolders folders;
        SettingsStore store;
        Holidays holidays(store);
        QVERIFY(holidays.contains(QDate(2027, 4, 23)));
        QVERIFY(holidays.contains(QDate(2031, 10, 29)));
        QVERIFY(!holidays.contains(QDate(2027, 4, 22)));
        QVERIFY(!QFile::exists(folders.settingsFile())); // offered, not written

        holidays.unmark(QDate(2027, 4, 23), QDate(2027, 4, 23));
        holidays.mark(QDate(2027, 1, 18), QDate(2027, 2, 5)); // the term break
        Holidays reread(store);
        QVERIFY(!reread.contains(QDate(2027, 4, 23)));
        QVERIFY(reread.contains(QDate(2027, 5, 19)));
        QVERIFY(reread.contains(QDate(2027, 1, 30)));
        // Six national days left, six bayram days besides (19 Mayıs is both), the break.
        QCOMPARE(reread.marked(2027, 2027).size(), size_t(6 + 6 + 19));

        // Clearing past days keeps this year's national days still ahead.
        QCOMPARE(reread.clearBefore(QDate(2027, 5, 10)), 1 + 19 + 3 + 1);
        QVERIFY(!reread.contains(QDate(2027, 1, 30)));
        QVERIFY(reread.contains(QDate(2027, 5, 19)));
        QVERIFY(reread.contains(QDate(2028, 1, 1)));

        folders.writeSettings("[Tatil]\nGunler=yarın\n"); // a hand edit gone wrong
        Holidays broken(store);
        QVERIFY(!broken.contains(QDate(2027, 5, 10)));
        QVERIFY(broken.contains(QDate(2028, 4, 23)));
    }

    void exportThenImportGivesTheSameBells() {
        QTemporaryDir files;
        const QString backupFile = files.path() + QStringLiteral("/yedek.ini");
        std::vector<std::pair<settings::Setting, QString>> mine;
        {
            TestFolders school;
            SettingsStore store;
            store.save(settings::timex(2), QStringLiteral("09:05"));
            store.save(settings::timex(40), QStringLiteral("1_:__"));
            store.save(settings::zil(0), QStringLiteral("Okulumuzun zili, 2.mp3"));
            store.save(settings::sesx(4), QStringLiteral("35"));
            store.save(settings::hwnd(), QStringLiteral("4242"));
            Holidays(store).mark(QDate(2027, 1, 18), QDate(2027, 2, 5));
            store.save(settings::gunTablosu(5), QStringLiteral("1")); // Fridays: weekend table
            QVERIFY(QFile::exists(backupFile + ".part") == false);
            QCOMPARE(backup::exportTo(store, backupFile), QString());
            for (const settings::Setting& s : backup::rows())
                mine.emplace_back(s, store.get(s));
        }
        TestFolders newPc;
        SettingsStore store;
        store.save(settings::timex(2), QStringLiteral("10:00"));
        const QByteArray before = newPc.settingsBytes();
        QString copy;
        QCOMPARE(backup::importFrom(store, backupFile, &copy), QString());
        QCOMPARE(mine.size(), backup::rows().size());
        for (const auto& [setting, value] : mine)
            QCOMPARE(SettingsStore().get(setting), value);
        QCOMPARE(SettingsStore().get(settings::hwnd()), QStringLiteral("0")); // not carried
        QVERIFY(Holidays(store).contains(QDate(2027, 1, 25)));
        QCOMPARE(store.get(settings::gunTablosu(5)), QStringLiteral("1"));
        QFile kept(copy);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), before);
    }

    void brokenOrForeignBackupChangesNothing_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("problem");
        QTest::newRow("not ours") << QByteArray("[Saatler]\ntimex%282%29=09:05\n")
                                  << "yedeği değil";
        QTest::newRow("binary") << QByteArray("\x7f"
                                              "ELF\0\0\1",
                                              7)
                                << "metin dosyası değil";
        QTest::newRow("unknown key")
            << QByteArray("[Yedek]\nProgram=Velmar Dorl\n[Genel]\nhwnd=5\n")
            << "bilinmeyen bir ayar var: Genel/hwnd";
        QTest::newRow("missing key")
            << QByteArray("[Yedek]\nProgram=Velmar Dorl\n") << "ayar eksik: Melodiler/Zil(0)";
        QTest::newRow("wrong shape") << QByteArray() << "geçersiz bir değer var: Saatler/timex(5)";
        QTest::newRow("no file") << QByteArray("-") << "bulunamadı";
    }

    void aBackupOfAnEarlierVersionKeepsTodaysDayChoices() {
        TestFolders folders;
        SettingsStore store;
        const QString file = folders.root() + QStringLiteral("/eski.ini");
        QCOMPARE(backup::exportTo(store, file), QString());
        QSettings old(file, QSettings::IniFormat); // written before the day choices existed
        for (int day = 1; day <= 7; ++day)
            old.remove(QStringLiteral("Tatil/Gun(%1)").arg(day));
        old.remove(QStringLiteral("Tatil/HaftaIciGunleri"));
        // ... and before the bayrams and the ceremonies.
        old.remove(QStringLiteral("Tatil/BayramYillar"));
        old.remove(QStringLiteral("Tören"));
        old.setValue(QStringLiteral("Tatil/ResmiYillar"), QStringLiteral("2027"));
        old.sync();
        QCOMPARE(backup::importFrom(store, file), QString());
        QCOMPARE(store.get(settings::gunTablosu(6)), QStringLiteral("1"));
        QCOMPARE(store.get(settings::onKasim()), QStringLiteral("1"));
        QCOMPARE(store.get(settings::bayrakToreni()), QStringLiteral("0"));
        QCOMPARE(store.get(settings::torenSaati(1)), QStringLiteral("15:05"));
        QVERIFY(Holidays(store).contains(QDate(2027, 3, 10)));
    }

    void brokenOrForeignBackupChangesNothing() {
        QFETCH(QByteArray, content);
        QFETCH(QString, problem);
        TestFolders folders;
        const QString file = folders.root() + QStringLiteral("/yedek.ini");
        SettingsStore store;
        store.save(settings::timex(5), QStringLiteral("10:00"));
        if (content.isEmpty()) { // a real export with one value spoilt
            QCOMPARE(backup::exportTo(store, file), QString());
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray text =
                f.readAll().replace("timex%285%29=10:00", "timex%285%29=25:61x");
            f.close();
            content = text;
        }
        if (content != "-") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content);
        }
        const QByteArray before = folders.settingsBytes();
        const QString answer = backup::importFrom(store, file);
        QVERIFY2(answer.contains(problem), qPrintable(answer));
        QCOMPARE(folders.settingsBytes(), before);
        QCOMPARE(QDir(folders.config() + "/VelmarDorl").entryList(QDir::Files).size(), 1);
    }

    // An import that cannot be written changes nothing, in the file or in
    // the store, and leaves no half-written file behind.
    void importThatCannotBeWrittenChangesNothing() {
        TestFolders folders;
        const QString file = folders.root() + QStringLiteral("/yedek.ini");
        SettingsStore store;
        QVERIFY(store.save(settings::timex(2), QStringLiteral("09:05")));
        QCOMPARE(backup::exportTo(store, file), QString());
        QVERIFY(store.save(settings::timex(2), QStringLiteral("10:00")));
        const QByteArray before = folders.settingsBytes();
        QString answer;
        {
            DiskFull full(before.size()); // room for the copy of the old file only
            answer = backup::importFrom(store, file);
        }
        QVERIFY2(answer.startsWith(QStringLiteral("Ayar dosyası yazılamadı")), qPrintable(answer));
        QCOMPARE(folders.settingsBytes(), before);
        QCOMPARE(store.get(settings::timex(2)), QStringLiteral("10:00"));
        StoredValues v;
        loadStoredValues(store, v);
        QCOMPARE(v.timex[2], QStringLiteral("10:00"));
        QVERIFY(store.save(settings::aktif(), QStringLiteral("0")));
        QVERIFY(!folders.settingsBytes().contains("09:05"));
        QCOMPARE(QDir(folders.config() + "/VelmarDorl")
                     .entryList({QStringLiteral("*.new")}, QDir::Files)
                     .size(),
                 0);
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
