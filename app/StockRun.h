#pragma once

#include "BatchRun.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

// The batch run of a housing stock on a thread of its own: the window's thread never waits on the
// file or on a calculation. What the run hands out arrives on the window's thread through the
// handlers, in order; none arrives once the object is gone.
class StockRun : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        // Every header has been read: false when the file cannot be calculated (messages told).
        std::function<void(bool usable)> Opened;
        // A message about the file or its header.
        std::function<void(const QString& message)> Message;
        // The next rows, calculated or rejected, in input order.
        std::function<void(std::vector<stock::BatchHouse>& houses)> Houses;
        // The run is over; `failure` says why when it ended early for another reason than a stop.
        std::function<void(stock::BatchEnd end, const QString& failure)> Ended;
    };

    // Starts reading and calculating at once.
    StockRun(stock::BatchOptions options, Handlers handlers, QObject* parent = nullptr);
    // Stops the run and waits for its threads: each finishes the house it calculates.
    ~StockRun() override;

    // Ends the run soon, keeping the rows finished; Ended follows.
    void Stop() { run_.Stop(); }
    // The run's counters and layout (carried columns, economics), once Opened has arrived.
    const stock::BatchRun& Run() const { return run_; }

private:
    class Receiver;
    void Work();
    // Runs `what` on the window's thread, unless this object is gone by then.
    void Post(std::function<void()> what);

    stock::BatchRun run_;
    Handlers handlers_;
    std::thread thread_;
};
