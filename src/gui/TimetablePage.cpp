#include "gui/TimetablePage.h"

#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "core/Timetable.h"
#include "core/ValueConversion.h"
#include "gui/PageParts.h"
#include "gui/TimeCell.h"
#include "platform/SettingsStore.h"

#include <QLabel>

using namespace pageparts;

namespace {
// Column captions are wider than the cells' spacing at the window's font.
void narrow(QLabel* label) {
    QFont font = label->font();
    font.setPointSizeF(7);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
}

const QString kKindCaptions[3] = {QStringLiteral("Öğrenci"), QStringLiteral("Öğretmen"),
                                  QStringLiteral("Çıkış")};
QString lessonCaption(int lesson) {
    return QString::number(lesson) + QStringLiteral(". ders");
}
const QString kShiftCaptions[2] = {QStringLiteral("Sabahçı Devre"),
                                   QStringLiteral("Öğlenci Devre")};

// What a screen reader says, as the page labels the cell: "Öğlenci Devre, 1. ders öğrenci
// giriş saati"; the weekend's twelve lessons run on without shifts.
QString spokenName(int cell) {
    static const char* const kinds[] = {"öğrenci giriş", "öğretmen giriş", "çıkış"};
    const int row = timetable::rowOf(cell);
    const QString kind = QString::fromUtf8(kinds[timetable::kindOf(cell)]);
    if (timetable::tableOf(cell) == timetable::kWeekendTable)
        return QStringLiteral("Hafta sonu %1 %2 saati").arg(lessonCaption(row + 1), kind);
    return QStringLiteral("%1, %2 %3 saati")
        .arg(kShiftCaptions[row / 6], lessonCaption(row % 6 + 1), kind);
}
} // namespace

TimetablePage::TimetablePage(int table, const PageContext& context, QWidget* parent)
    : QWidget(parent), table_(table), context_(context) {
    const int first = table * timetable::kCellsPerTable;
    for (int i = 0; i < timetable::kCellsPerTable; ++i) {
        auto* box = new TimeCell(first + i, this);
        const QRect r = timetable::cellRectTwips(first + i);
        box->setGeometry(toPixels(this, r));
        box->setAccessibleName(spokenName(first + i));
        box->setText(timetable::defaultCellText(first + i));
        connect(box, &QLineEdit::textChanged, this,
                [this, index = first + i] { cellChanged(index); });
        connect(box, &TimeCell::advance, this, [this](int index) { focusCell(index + 1); });
        cells_[i] = box;
    }

    if (table == timetable::kWeekdayTable) {
        heading(this, item("Label3", 5), QLatin1Char(' ') + kShiftCaptions[0], {60, 0, 4320, 240});
        heading(this, item("Label3", 6), QLatin1Char(' ') + kShiftCaptions[1],
                {60, 2595, 4320, 240});
        for (int shift = 0; shift < 2; ++shift) {
            const int labelTop = shift == 0 ? 225 : 2820;
            for (int kind = 0; kind < 3; ++kind) {
                narrow(label(this, item("Label1", 3 * shift + kind), kKindCaptions[kind],
                             {1470 + 720 * kind, labelTop, 720, 225}));
            }
            for (int row = 0; row < 6; ++row) {
                const int top = timetable::cellRectTwips(3 * (6 * shift + row)).top();
                label(this, item("Label2", 6 * shift + row), lessonCaption(row + 1),
                      {600, top, 900, 285});
            }
        }
    } else {
        for (int kind = 0; kind < 3; ++kind) {
            // Label1(14..16) read "Çıkış", "Öğretmen", "Öğrenci" from the right.
            narrow(label(this, item("Label1", 16 - kind), kKindCaptions[kind],
                         {1410 + 720 * kind, 390, 720, 240}));
        }
        for (int row = 0; row < 12; ++row) {
            // Label2(34..45) read "12. ders" down to "1. ders".
            label(this, item("Label2", 45 - row), lessonCaption(row + 1),
                  {540, timetable::cellRectTwips(36 + 3 * row).top(), 900, 285});
        }
    }
}

TimeCell* TimetablePage::cell(int index) const {
    const int local = index - table_ * timetable::kCellsPerTable;
    return local >= 0 && local < timetable::kCellsPerTable ? cells_[local] : nullptr;
}

void TimetablePage::refresh() {
    for (TimeCell* box : cells_)
        whileFilling(context_.filling, [&] { box->setText(context_.values.timex[box->index()]); });
}

void TimetablePage::cellChanged(int index) {
    if (context_.filling)
        return;
    const QString value = conversion::fitFixed(cell(index)->text(), 5);
    context_.values.timex[index] = value;
    context_.store.save(settings::timex(index), value);
    emit timesChanged();
}

void TimetablePage::focusCell(int index) {
    if (TimeCell* next = cell(index))
        next->setFocus(Qt::TabFocusReason);
}
