// The chosen sound output against a fake sound server: where sounds and the
// master level go, what the log says, and the choice on the "Hemen Çal" page.
#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "gui/HemenCalPage.h"
#include "platform/EventLog.h"
#include "sound/MasterLevel.h"
#include "sound/OutputChoice.h"
#include "sound/OutputMixer.h"
#include "sound/Playback.h"
#include "support/FakeSoundServer.h"
#include "support/StartedForm.h"

#include <QComboBox>
#include <QtTest>

namespace {
constexpr long kLoudest = 65530; // master position "0" on a 0..65536 scale

// The playback core whose master level goes through the chosen output;
// `mixer` stands for the computer's mixer, which follows the default output.
struct Rig {
    TestFolders folders;
    FakeClock clock;
    FakePlayer player;
    RecordingMixer mixer;
    FakeSoundServer server;
    OutputChoice choice{&server};
    OutputMixer outputs{mixer, choice};
    MasterLevel level{&outputs};
    StoredValues values;
    Playback routed{player, level, values, clock};
    QStringList log;

    explicit Rig(const QString& chosen) {
        eventlog::setSink([this](eventlog::Level, const QString& line) { log << line; });
        server.plug(QStringLiteral("amp"), QStringLiteral("Amplifikatör"));
        server.plug(QStringLiteral("hdmi"), QStringLiteral("Monitör HDMI"));
        server.defaultOutput = QStringLiteral("hdmi"); // the monitor took the default
        values.MasterVolume = QStringLiteral("0");
        routed.setAppPath(folders.app());
        choice.choose(chosen);
        routed.setOutputs(&choice); // as at start-up: before the levels are set up
        level.setUp();
    }
    ~Rig() { eventlog::setSink({}); }
    void ring() {
        routed.play(folders.app() + "/Melodiler/Melodi 1.wav", {}, 80, "Çıkış zili", false);
    }
};
} // namespace

class OutputsTest : public QObject {
    Q_OBJECT
private slots:
    void chosenOutputWhileThereElseTheDefault() {
        Rig r(QStringLiteral("amp"));
        QCOMPARE(r.player.output, QStringLiteral("amp"));
        QCOMPARE(r.server.volumes["amp"], 0L); // muted at start-up, not the default
        QVERIFY(r.mixer.sets.empty());

        r.ring();
        QCOMPARE(r.player.output, QStringLiteral("amp"));
        QCOMPARE(r.server.volumes["amp"], kLoudest);
        QCOMPARE(r.server.volumes["hdmi"], SoundServer::kFullVolume);
        r.player.finish();
        QCOMPARE(r.server.volumes["amp"], 0L);
        QVERIFY(r.mixer.sets.empty());

        // Gone: the default plays, and its level is the master level.
        r.server.pull(QStringLiteral("amp"));
        r.ring();
        QCOMPARE(r.player.output, QString());
        QCOMPARE(r.server.volumes["hdmi"], kLoudest);
        r.player.finish();
        QCOMPARE(r.server.volumes["hdmi"], 0L);
        r.ring(); // told once, not at every bell
        r.player.finish();
        QCOMPARE(r.log.filter(QStringLiteral("ses çıkışı")),
                 QStringList{"Seçilen ses çıkışı yok (amp): varsayılan çıkış kullanılıyor"});

        r.server.plug(QStringLiteral("amp"), QStringLiteral("Amplifikatör"));
        r.ring();
        QCOMPARE(r.player.output, QStringLiteral("amp"));
        QCOMPARE(r.server.volumes["amp"], kLoudest);
        // The default that stood in is not left muted.
        QCOMPARE(r.server.volumes["hdmi"], kLoudest);
        QVERIFY(r.mixer.sets.empty());
        QCOMPARE(r.log.filter(QStringLiteral("ses çıkışı")).last(),
                 QStringLiteral("Seçilen ses çıkışı yine bağlı (amp): o kullanılıyor"));
        r.ring();
        QCOMPARE(r.log.filter(QStringLiteral("ses çıkışı")).size(), 2);
    }

    // The server too busy to answer at a bell (a loaded PC): that says nothing
    // of the chosen output. The sound stays on it, the computer's mixer and
    // the default are left alone, and the log calls nothing missing.
    void aServerThatDoesNotAnswerKeepsTheChosenOutput() {
        Rig r(QStringLiteral("amp"));
        r.server.answering = false;
        r.ring();
        QCOMPARE(r.player.output, QStringLiteral("amp"));
        r.server.answering = true;
        r.player.finish();
        QCOMPARE(r.server.volumes["amp"], 0L);
        QCOMPARE(r.server.volumes["hdmi"], SoundServer::kFullVolume);
        QVERIFY(r.mixer.sets.empty());
        r.ring();
        QCOMPARE(r.player.output, QStringLiteral("amp"));
        QCOMPARE(r.server.volumes["amp"], kLoudest);
        QVERIFY2(r.log.filter(QStringLiteral("ses çıkışı")).isEmpty(),
                 qPrintable(r.log.join('\n')));
    }

    // A hung sound server: the bell is not opened, and what played stops with
    // its follow-up; the bell is logged as not played, its file not as broken.
    // Once the server answers, the next bell plays.
    void aHungServerPlaysNothingUntilItAnswers() {
        Rig r{QString()};
        r.routed.play(r.folders.app() + "/Marşlar/1.mp3", "/Marşlar/0.mp3", 100, "İstiklal Marşı",
                      false);
        r.server.hung = true;
        r.ring();
        QCOMPARE(r.player.opened().size(), 1);
        QVERIFY(r.player.current.isEmpty());
        QVERIFY(!r.routed.playing());
        QVERIFY(r.routed.queued().isEmpty());
        QCOMPARE(r.mixer.wave, 0L);
        const QStringList told{"Çalıyor: İstiklal Marşı (1.mp3)",
                               "Çıkış zili çalmadı: ses sunucusu yanıt vermiyor (Melodi 1.wav)"};
        QCOMPARE(r.log.filter(QStringLiteral("çal"), Qt::CaseInsensitive), told);

        r.server.hung = false;
        r.ring();
        QCOMPARE(r.player.opened().size(), 2);
        QVERIFY(r.routed.playing());
        QCOMPARE(r.mixer.wave, kLoudest);
    }

    void anotherChoiceWhileIdleLeavesNoOutputMuted() {
        Rig r{QString()};
        QCOMPARE(r.player.output, QString());
        QCOMPARE(r.mixer.wave, 0L);

        r.routed.chooseOutput(QStringLiteral("amp"));
        QCOMPARE(r.mixer.wave, kLoudest); // the default, left, gets the master level back
        QCOMPARE(r.server.volumes["amp"], 0L);
        QCOMPARE(r.player.output, QString()); // taken at the next sound

        r.ring();
        QCOMPARE(r.player.output, QStringLiteral("amp"));
        QCOMPARE(r.server.volumes["amp"], kLoudest);
        // While a sound plays, the new output is at the master level at once.
        r.routed.chooseOutput(QStringLiteral("hdmi"));
        QCOMPARE(r.server.volumes["hdmi"], kLoudest);
        r.player.finish();
        QCOMPARE(r.server.volumes["hdmi"], 0L);
        QCOMPARE(r.server.volumes["amp"], kLoudest);
    }

    void pageListsTheOutputsAndStoresTheChoice() {
        TestFolders folders;
        RecordingPlatform fakes;
        fakes.clock.set(kMonday);
        SettingsStore store;
        store.save(settings::sesCikisi(), QStringLiteral("usb"));
        FakeSoundServer server;
        server.plug(QStringLiteral("amp"), QStringLiteral("Amplifikatör"));
        OutputChoice choice(&server);
        choice.choose(store.get(settings::sesCikisi()));
        MainWindow form(fakes.platform(), store);
        form.playback().setOutputs(&choice);
        QVERIFY(form.startUp(contextFor(folders, 1000)));
        QComboBox* list = form.hemenCalPage()->outputList();
        const auto items = [list] {
            QStringList texts;
            for (int i = 0; i < list->count(); ++i)
                texts << list->itemText(i);
            return texts;
        };
        QCOMPARE(items(), (QStringList{"Varsayılan", "Amplifikatör", "usb (bağlı değil)"}));
        QCOMPARE(list->currentText(), QStringLiteral("usb (bağlı değil)"));

        server.plug(QStringLiteral("hdmi"), QStringLiteral("Monitör HDMI"));
        QCOMPARE(items(),
                 (QStringList{"Varsayılan", "Amplifikatör", "Monitör HDMI", "usb (bağlı değil)"}));
        emit list->activated(1);
        QCOMPARE(store.get(settings::sesCikisi()), QStringLiteral("amp"));
        QCOMPARE(choice.chosen(), QStringLiteral("amp"));
        QCOMPARE(SettingsStore().get(settings::sesCikisi()), QStringLiteral("amp"));
        form.quitProgram();
    }
};

QTEST_MAIN(OutputsTest)
#include "tst_outputs.moc"
