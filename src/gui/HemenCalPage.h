#pragma once

#include "gui/PageContext.h"
#include "sound/Bells.h"

#include <QWidget>

#include <array>

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

    QPushButton* cmdZil(int k) const { return cmdZil_.at(k); }
    QPushButton* cmdMars(int k) const { return cmdMars_.at(k); }
    QComboBox* cmbMars(int k) const { return cmbMars_.at(k); }
    QPushButton* cmdMarsIptal(int k) const { return cmdMarsIptal_.at(k); }
    QLineEdit* Text1() const { return Text1_; }
    QWidget* link() const { return link_; }
    QComboBox* cmbSesCikisi() const { return cmbSesCikisi_; }

    void refresh();

    void cmdZil_Click(int k);
    void cmbMars_Click(int k);
    void cmdMars_Click(int k);
    void tmrMars_Timer(int k);
    void cmdMarsIptal_Click(int k);
    QTimer* tmrMars(int k) const { return tmrMars_.at(k); }
    bool countingDown() const;
    // "Varsayılan", then the sound server's outputs; a chosen one that is
    // not there now stays listed, so the choice is not lost.
    void showOutputs();
    void cmbSesCikisi_Click(int index);

signals:
    // A countdown started or ended.
    void countdownChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void endCountdown(int k);

    PageContext context_;
    std::array<QPushButton*, 3> cmdZil_{};
    std::array<QPushButton*, 3> cmdMars_{};
    std::array<QComboBox*, 3> cmbMars_{};
    std::array<QPushButton*, 3> cmdMarsIptal_{};
    std::array<QTimer*, 3> tmrMars_{};
    std::array<ceremonies::Countdown, 3> countdowns_{};
    QLineEdit* Text1_ = nullptr;
    QWidget* link_ = nullptr;
    QComboBox* cmbSesCikisi_ = nullptr;
    bool followsOutputs_ = false;
};
