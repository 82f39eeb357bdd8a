#include "sound/OutputChoice.h"

#include "platform/EventLog.h"
#include "platform/SoundServer.h"

#include <algorithm>

void OutputChoice::choose(const QString& name) {
    if (name != chosen_)
        missing_.clear();
    chosen_ = name;
}

void OutputChoice::use(const QString& name) {
    inUse_ = name;
    levelOutput_ = !name.isEmpty()                  ? name
                   : !chosen_.isEmpty() && reached_ ? SoundServer::kDefaultOutput
                                                    : QString();
}

QString OutputChoice::look() {
    if (chosen_.isEmpty())
        return {};
    const QList<SoundOutput> outputs = server_ ? server_->outputs() : QList<SoundOutput>();
    reached_ = !outputs.isEmpty();
    // No answer (a server restarting, or one too busy to answer in time) says
    // nothing of the chosen output: the one in use stays, and nothing is logged.
    if (!reached_)
        return inUse_;
    const bool there = std::any_of(outputs.cbegin(), outputs.cend(),
                                   [this](const SoundOutput& o) { return o.name == chosen_; });
    if (there) {
        if (!missing_.isEmpty())
            eventlog::info(
                QStringLiteral("Seçilen ses çıkışı yine bağlı (%1): o kullanılıyor").arg(chosen_));
        missing_.clear();
        return chosen_;
    }
    if (missing_.isEmpty())
        eventlog::warning(
            QStringLiteral("Seçilen ses çıkışı yok (%1): varsayılan çıkış kullanılıyor")
                .arg(chosen_));
    missing_ = chosen_;
    return {};
}
