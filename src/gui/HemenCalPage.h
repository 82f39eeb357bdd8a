#pragma once

#include "gui/PageContext.h"
#include "sound/Bells.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;

// "Hemen Çal": ring a bell now; the anthem, the moment of silence with the
// anthem and the siren, now or after a delay; the program's title and links.
class HemenCalPage : public QWidget {
    Q_OBJECT
public:
    static inline const QString kVersion = QStringLiteral("ver: 1.4");

    HemenCalPage(const PageContext& context, QWidget* parent);

    QPushButton* ringButton(int k) const { return ringButtons_.at(k); }
    QPushButton* ceremonyButton(int k) const { return ceremonyButtons_.at(k); }
    QComboBox* ceremonyDelay(int k) const { return ceremonyDelays_.at(k); }
    QPushButton* cancelCountdownButton(int k) const { return cancelCountdownButtons_.at(k); }
    QLineEdit* contactField() const { return contactField_; }
    QWidget* link() const { return link_; }
    QComboBox* outputList() const { return outputList_; }
    // 10 Kasım's remembrance at 09:05, held by the program itself.
    QCheckBox* remembranceSwitch() const { return remembranceSwitch_; }

    void refresh();

    void ringNow(int k);
    void delayChosen(int k);
    void startCeremony(int k);
    void countdownTick(int k);
    void cancelCountdown(int k);
    QTimer* countdownTimer(int k) const { return countdownTimers_.at(k); }
    bool countingDown() const;
    // "Varsayılan", then the sound server's outputs; a chosen one that is
    // not there now stays listed, so the choice is not lost.
    void showOutputs();
    void outputChosen(int index);

signals:
    // A countdown started or ended.
    void countdownChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void endCountdown(int k);

    PageContext context_;
    std::array<QPushButton*, 3> ringButtons_{};
    std::array<QPushButton*, 3> ceremonyButtons_{};
    std::array<QComboBox*, 3> ceremonyDelays_{};
    std::array<QPushButton*, 3> cancelCountdownButtons_{};
    std::array<QTimer*, 3> countdownTimers_{};
    std::array<ceremonies::Countdown, 3> countdowns_{};
    QLineEdit* contactField_ = nullptr;
    QWidget* link_ = nullptr;
    QComboBox* outputList_ = nullptr;
    QCheckBox* remembranceSwitch_ = nullptr;
    bool followsOutputs_ = false;
};
