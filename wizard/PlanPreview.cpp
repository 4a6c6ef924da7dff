#include "wizard/PlanPreview.h"

#include "db/Connection.h"
#include "split/Reporter.h"
#include "split/Source.h"

#include <algorithm>
#include <exception>
#include <functional>

namespace wizard {

struct PlanPreview::Read {
    std::uint64_t generation = 0;
    std::shared_ptr<const split::Source> source; // null when the values could not be read
    QString failure;
};

namespace {

// Thrown from a yield when a newer request has made the work in hand useless.
struct Overtaken {};

class ReadObserver final : public split::Observer {
public:
    explicit ReadObserver(std::function<bool()> keepGoing) : keepGoing_(std::move(keepGoing)) {}
    void onFailure(const split::Failure& f) override { last = f.description; }
    bool onYield() override { return keepGoing_(); }

    std::string last; // the latest failure told
private:
    std::function<bool()> keepGoing_;
};

} // namespace

PlanPreview::PlanPreview(QObject* parent) : QObject(parent) {}

PlanPreview::~PlanPreview() {
    Stop();
}

void PlanPreview::Follow(const split::Inputs& inputs) {
    const std::string key = inputs.connectionString + '\n' + inputs.table + '\n' + inputs.fieldReference;
    if (key != sourceKey_) {
        sourceKey_ = key;
        ++sourceGeneration_;
    }
    const std::uint64_t generation = ++generation_;
    asked_ = generation;
    bool start = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wanted_ = Request{inputs, generation, sourceGeneration_.load()};
        if (!busy_) start = busy_ = true;
    }
    if (!start) return;                     // the worker takes it up when it has done with the one in hand
    if (worker_.joinable()) worker_.join(); // one that had just ended
    worker_ = std::thread([this] { Work(); });
}

void PlanPreview::Stop() {
    halt_ = true;
    if (worker_.joinable()) worker_.join();
    halt_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    busy_ = false;
    done_ = wanted_.generation;
    delivered_ = asked_;
}

void PlanPreview::Forget() {
    sourceKey_.clear();
    ++sourceGeneration_;
    std::lock_guard<std::mutex> lock(mutex_);
    read_.reset(); // the values held go now, not at the next read
}

void PlanPreview::Work() {
    for (;;) {
        Request r;
        std::shared_ptr<const Read> read;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (halt_ || wanted_.generation == done_) {
                busy_ = false;
                return;
            }
            r = wanted_;
            if (read_ && read_->generation == r.source) read = read_;
        }
        try {
            if (!read) {
                read = ReadValues(r);
                std::lock_guard<std::mutex> lock(mutex_);
                read_ = read;
            }
            if (!read->source) {
                Deliver(r.generation, nullptr, read->failure);
            } else {
                auto plan = std::make_shared<const split::Plan>(
                    split::MakePlan(read->source, r.inputs.separator, r.inputs.label, PreviewRecords, [&] {
                        if (halt_ || generation_ != r.generation) throw Overtaken{};
                    }));
                Deliver(r.generation, std::move(plan), QString());
            }
        } catch (const Overtaken&) {
        } catch (const std::exception& e) {
            Deliver(r.generation, nullptr, QString::fromStdString(e.what()));
        }
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = std::max(done_, r.generation);
    }
}

// The read goes on while the separator and label change; a newer table or field ends it.
std::shared_ptr<const PlanPreview::Read> PlanPreview::ReadValues(const Request& r) {
    const auto current = [this, &r] { return !halt_ && sourceGeneration_ == r.source; };
    QMetaObject::invokeMethod(
        this,
        [this, generation = r.generation] {
            if (generation == generation_) emit Reading();
        },
        Qt::QueuedConnection);
    auto read = std::make_shared<Read>();
    read->generation = r.source;
    ReadObserver observer(current);
    split::Reporter reporter(observer);
    ADODB::Connection connection;
    try {
        // Opened as Finish opens it, so that a file it could not change is said so before Finish;
        // nothing is written.
        read->source = split::Read(r.inputs, reporter, split::Opening::ForChangingOrLooking, connection);
    } catch (const split::Stop&) {
        if (!current()) throw Overtaken{};
        read->failure = QString::fromStdString(observer.last);
    }
    return read;
}

void PlanPreview::Deliver(std::uint64_t generation, std::shared_ptr<const split::Plan> plan,
                          const QString& failure) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, plan = std::move(plan), failure] {
            if (generation != generation_) return;
            delivered_ = generation;
            if (plan)
                emit Planned(plan);
            else
                emit Failed(failure);
        },
        Qt::QueuedConnection);
}

} // namespace wizard
