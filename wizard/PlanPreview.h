#pragma once
// Page 4's preview of the split, made away from the window. The field's values are read once for a
// database, table and field; every change of separator or label then only makes a new plan from
// them, a newer change ending the plan in hand. What is ready reaches the page as a signal, in the
// window's thread; a result that a newer request has overtaken is dropped.

#include "split/Inputs.h"
#include "split/Plan.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace wizard {

// Records of the preview's grid.
inline constexpr std::size_t PreviewRecords = 100;

class PlanPreview : public QObject {
    Q_OBJECT
public:
    explicit PlanPreview(QObject* parent = nullptr);
    // Ends the work in hand and waits for it.
    ~PlanPreview() override;

    // Asks for the plan of these inputs. The values are read again when the database, table or
    // field differ from the last read's, or after Forget.
    void Follow(const split::Inputs& inputs);
    // Ends the work in hand and waits for it: once this returns, nothing of the preview reads the
    // file until the next Follow.
    void Stop();
    // The file changed or is about to (a split, an undo): the values held are let go, and the next
    // Follow reads them again.
    void Forget();

    // True when the plan (or failure) of the latest Follow has been delivered.
    bool Ready() const { return delivered_ == asked_; }

signals:
    // The values are being read (for the first plan of a table and field).
    void Reading();
    void Planned(std::shared_ptr<const split::Plan> plan);
    // The values could not be read: why, in words.
    void Failed(const QString& why);

private:
    struct Request {
        split::Inputs inputs;
        std::uint64_t generation = 0; // of the request
        std::uint64_t source = 0;     // of the values it needs
    };
    struct Read; // what was read for one source generation

    void Work();
    std::shared_ptr<const Read> ReadValues(const Request& r);
    void Deliver(std::uint64_t generation, std::shared_ptr<const split::Plan> plan, const QString& failure);

    // Shared with the worker, under mutex_.
    std::mutex mutex_;
    Request wanted_;
    std::uint64_t done_ = 0; // the last request the worker took up to its end
    bool busy_ = false;
    std::shared_ptr<const Read> read_;

    // Read by the worker at every yield: a newer request, or a newer source, ends what it does.
    std::atomic<std::uint64_t> generation_{0};
    std::atomic<std::uint64_t> sourceGeneration_{0};
    std::atomic<bool> halt_{false};

    // The window's thread only.
    std::thread worker_;
    std::string sourceKey_;
    std::uint64_t asked_ = 0, delivered_ = 0;
};

} // namespace wizard
