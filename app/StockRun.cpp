#include "StockRun.h"

#include <QMetaObject>

#include <exception>

class StockRun::Receiver : public stock::BatchReceiver {
public:
    explicit Receiver(StockRun& owner) : owner_(owner) {}

    void FileMessage(const std::string& message) override { Tell(message); }
    void HeaderMessage(const std::string& message) override { Tell(message); }
    void Houses(std::vector<stock::BatchHouse>& houses) override {
        auto block = std::make_shared<std::vector<stock::BatchHouse>>(std::move(houses));
        StockRun* owner = &owner_;
        owner_.Post([owner, block] { owner->handlers_.Houses(*block); });
    }

private:
    void Tell(const std::string& message) {
        StockRun* owner = &owner_;
        owner_.Post(
            [owner, text = QString::fromStdString(message)] { owner->handlers_.Message(text); });
    }

    StockRun& owner_;
};

StockRun::StockRun(stock::BatchOptions options, Handlers handlers, QObject* parent)
    : QObject(parent), run_(std::move(options)), handlers_(std::move(handlers)) {
    thread_ = std::thread([this] { Work(); });
}

StockRun::~StockRun() {
    run_.Stop();
    thread_.join();
}

void StockRun::Post(std::function<void()> what) {
    QMetaObject::invokeMethod(this, std::move(what), Qt::QueuedConnection);
}

void StockRun::Work() {
    // Nothing may escape the thread: a failure the run did not foresee (memory exhausted) ends it
    // with its message, and the rows handed out before stay.
    try {
        Receiver receiver(*this);
        const bool usable = run_.Open(receiver);
        Post([this, usable] { handlers_.Opened(usable); });
        if (!usable) {
            return;
        }
        const stock::BatchEnd end = run_.Run(receiver);
        const QString failure = QString::fromStdString(run_.Failure());
        Post([this, end, failure] { handlers_.Ended(end, failure); });
    } catch (const std::exception& e) {
        const QString failure = QString::fromUtf8(e.what());
        Post([this, failure] { handlers_.Ended(stock::BatchEnd::ReadingFailed, failure); });
    } catch (...) {
        Post([this] {
            handlers_.Ended(stock::BatchEnd::ReadingFailed,
                            QStringLiteral("непредвиденная ошибка расчёта"));
        });
    }
}
