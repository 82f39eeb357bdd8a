#pragma once

#include <QString>

class SoundServer;

// Which of the sound server's outputs the sounds and the master level go to:
// the one the school chose, by its name, while the server has it, and the
// server's default otherwise (an empty name stands for the default). So an
// HDMI monitor that becomes the default when plugged in takes nothing over.
class OutputChoice {
public:
    explicit OutputChoice(SoundServer* server = nullptr) : server_(server) {}

    SoundServer* server() const { return server_; }
    const QString& chosen() const { return chosen_; }
    void choose(const QString& name);

    // Asks the server for the chosen output: its name while it is there,
    // else the default's empty name; the output in use while the server does
    // not answer. The log tells when a chosen output is found missing, and
    // once when it is back.
    QString look();

    // The output in use since the last look that changed it.
    const QString& inUse() const { return inUse_; }
    void use(const QString& name);
    // The output whose volume is the master level: the one in use; the
    // server's default while it stands in for a chosen output that is gone
    // (ALSA's mixer keeps to the default it found when it was opened); empty
    // for the computer's mixer.
    const QString& levelOutput() const { return levelOutput_; }

private:
    SoundServer* server_;
    QString chosen_;
    QString inUse_;
    QString levelOutput_;
    QString missing_;      // the chosen output, found missing and not seen since
    bool reached_ = false; // the last look found the server
};
