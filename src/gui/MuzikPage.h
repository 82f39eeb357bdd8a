#pragma once

#include "gui/PageContext.h"

#include <QWidget>

#include <array>
#include <vector>

class QCheckBox;
class QPushButton;

// "Müzik Yayını": break music on or off, which breaks get music, play now,
// add songs, and the music volume.
class MuzikPage : public QWidget {
    Q_OBJECT
public:
    MuzikPage(const PageContext& context, QWidget* parent);

    QCheckBox* chkMuzikAktif() const { return chkMuzikAktif_; }
    QCheckBox* chkTenefus(int b) const { return chkTenefus_.at(b); }
    QPushButton* cmdMusicNow() const { return cmdMusicNow_; }
    QPushButton* cmdYeniSarki() const { return cmdYeniSarki_; }

    void refresh();
    // Runs also while filling: the refresh calls it to show the off state.
    void chkMuzikAktif_Click();

private:
    void chkTenefus_Click(int b);

    PageContext context_;
    QCheckBox* chkMuzikAktif_ = nullptr;
    std::array<QCheckBox*, 24> chkTenefus_{};
    QPushButton* cmdMusicNow_ = nullptr;
    QPushButton* cmdYeniSarki_ = nullptr;
    // Enabled and disabled with the switch, in this order.
    std::vector<QWidget*> switched_;
};
