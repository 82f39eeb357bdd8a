#include "gui/RecordsDialog.h"

#include "platform/JournalReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {
constexpr int kDays = 7;
constexpr int kMostLines = 5000;
} // namespace

RecordsDialog::RecordsDialog(QWidget* parent, Reader reader) : QDialog(parent) {
    setObjectName(QStringLiteral("frmKayitlar"));
    setWindowTitle(QStringLiteral("Kayıtlar"));
    resize(620, 420);
    list_ = new QPlainTextEdit(this);
    list_->setObjectName(QStringLiteral("txtKayitlar"));
    list_->setReadOnly(true);
    list_->setLineWrapMode(QPlainTextEdit::NoWrap);
    list_->setPlainText(QStringLiteral("Kayıtlar okunuyor…"));
    auto* copy = new QPushButton(QStringLiteral("Kopyala"), this);
    copy->setObjectName(QStringLiteral("cmdKopyala"));
    copy->setToolTip(QStringLiteral("Bütün kayıtları panoya kopyala"));
    connect(copy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(list_->toPlainText()); });
    auto* close = new QPushButton(QStringLiteral("Kapat"), this);
    close->setObjectName(QStringLiteral("cmdKapat"));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);

    // The thread ends on its own; a dialog closed meanwhile just never hears of it.
    auto entries = std::make_shared<std::vector<eventlog::Entry>>();
    QThread* thread = QThread::create([reader = std::move(reader), entries] {
        if (reader)
            *entries = reader();
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this, entries] { showEntries(*entries); });
    thread->start();
}

RecordsDialog* RecordsDialog::showFor(QWidget* parent) {
    auto* dialog = parent->findChild<RecordsDialog*>(QString(), Qt::FindDirectChildrenOnly);
    if (!dialog) {
        dialog = new RecordsDialog(parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

RecordsDialog::Reader RecordsDialog::defaultReader() {
    const QDateTime since(QDate::currentDate().addDays(-kDays), QTime(0, 0));
    if (eventlog::toJournal()) {
        return [since] {
            if (auto entries = journal::read(since, kMostLines))
                return std::move(*entries);
            // A journal that cannot be read: at least this run's lines.
            std::vector<eventlog::Entry> entries = eventlog::recent();
            std::reverse(entries.begin(), entries.end());
            return entries;
        };
    }
    std::vector<eventlog::Entry> entries = eventlog::recent(); // taken now, on this thread
    std::reverse(entries.begin(), entries.end());
    return [entries] { return entries; };
}

void RecordsDialog::showEntries(const std::vector<eventlog::Entry>& entries) {
    QStringList lines;
    lines.reserve(qsizetype(entries.size()));
    for (const eventlog::Entry& e : entries)
        lines << e.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("  ") +
                     e.message;
    list_->setPlainText(lines.isEmpty() ? QStringLiteral("Kayıt yok.")
                                        : lines.join(QLatin1Char('\n')));
}
