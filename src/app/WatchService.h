#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include <QObject>
#include <QString>
#include <QTimer>

#include "fetch/Endpoints.h"
#include "store/StoreSource.h"

namespace tarnwick {

class Clock;

// Runs the watched shops that fall due while the program is open, one turn at a time on a
// thread of its own, and tells the window what each watched run came to. The watches are
// claimed in the store as the command line's runner claims them, so a timer's runner and this
// one never analyse a shop twice.
class WatchService : public QObject {
    Q_OBJECT

public:
    // `location` is the database file or server the window has open.
    WatchService(StoreSource location, Endpoints endpoints, const Clock& clock,
                 QObject* parent = nullptr);
    ~WatchService() override;

    // Looks for due watches now and then every `period`; a turn still going is let finish.
    void Start(std::chrono::milliseconds period);
    // A turn for every due watch now, unless one is going.
    void RunDue();
    // One watch now, due or not; false while a turn is going.
    bool RunNow(std::int32_t watchId);
    bool Busy() const { return m_turn != nullptr; }
    // Ends a turn under way as a user's stop ends a run, and waits for it.
    void Stop();

signals:
    void busyChanged(bool busy);
    // A line of the runner's own: which shop it starts, what it found, what it could not send.
    void line(const QString& text);
    void watchStarted(const QString& nick);
    // One watched run has ended and is stored; `title` and `text` are its notice, empty when
    // it raised nothing to tell.
    void watchEnded(std::int32_t watchId, const QString& nick, const QString& title,
                    const QString& text, int alerts, bool failed);
    // A turn could not run at all (the database could not be opened, say).
    void failed(const QString& message);

private:
    struct Turn;
    void Begin(std::int64_t watchId);
    void Finish(std::uint64_t number);

    StoreSource m_location;
    Endpoints m_endpoints;
    const Clock& m_clock;
    QTimer m_timer;
    std::uint64_t m_turns = 0;
    std::unique_ptr<Turn> m_turn;
};

}  // namespace tarnwick
