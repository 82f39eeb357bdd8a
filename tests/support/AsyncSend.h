#pragma once

#include "platform/Signalling.h"

#include <chrono>
#include <future>

// The sender blocks until it is answered; in a test the answering server
// lives on this thread's event loop, so the sender runs on its own thread.
inline std::future<int> sendAsync(const QString& folder, qint64 number, const QString& word,
                                  int timeoutMs = 2000) {
    return std::async(std::launch::async,
                      [=] { return signalling::sendWord(folder, number, word, timeoutMs); });
}

inline bool isReady(const std::future<int>& reply) {
    return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}
