#pragma once
// A thread of its own for work that the owner asks for again and again, of which only the
// latest request counts: a request takes the place of the one still waiting (requests in quick
// succession are taken as one), the answer to any but the latest request is dropped, and a
// request about another source than the one being read aborts that read. Answers are taken on
// the thread that made the worker, so the owner never waits for a file.
#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>

#include "platform/AbortEvent.h"

template <typename Job, typename Answer>
class LatestRequestWorker {
public:
    // Works out a job's answer on the worker's thread; `abort` is signalled once it is of no use.
    using Make = std::function<Answer(const Job& job, const AbortEvent& abort)>;
    // Takes the answer to the latest request, on the thread that made the worker.
    using Take = std::function<void(const Answer& answer)>;

    LatestRequestWorker(Make maker, Take taker)
        : make(std::move(maker)), take(std::move(taker)), thread([this](std::stop_token stop) { Work(stop); }) {}
    // Aborts the job in progress and waits for the thread; answers on their way are dropped.
    ~LatestRequestWorker() {
        {
            const std::scoped_lock guard(lock);
            if (reading) reading->Signal();
        }
        thread.request_stop();
        thread.join();
    }
    LatestRequestWorker(const LatestRequestWorker&) = delete;
    LatestRequestWorker& operator=(const LatestRequestWorker&) = delete;

    // Hands on a job that reads `source`, in place of any job still waiting.
    void Ask(Job job, const std::string& source) {
        const std::scoped_lock guard(lock);
        // A read of another source than the one now asked about is of no use.
        if (reading && readingSource != source) reading->Signal();
        waiting = Waiting{std::move(job), source, ++latest};
        wake.notify_one();
    }
    // Drops the answers to every job asked for so far.
    void Forget() { ++latest; }

private:
    struct Waiting {
        Job job;
        std::string source;
        uint64_t number = 0;
    };

    void Work(const std::stop_token& stop) {
        for (;;) {
            std::optional<Waiting> next;
            std::shared_ptr<AbortEvent> abort;
            {
                std::unique_lock guard(lock);
                if (!wake.wait(guard, stop, [this] { return waiting.has_value(); })) return;
                next = std::move(waiting);
                waiting.reset();
                abort = reading = std::make_shared<AbortEvent>();
                readingSource = next->source;
            }
            Deliver(next->number, make(next->job, *abort));
        }
    }

    void Deliver(uint64_t number, Answer answer) {
        QMetaObject::invokeMethod(
            &inbox, [this, number, answer = std::move(answer)] {
                if (number == latest) take(answer);
            },
            Qt::QueuedConnection);
    }

    const Make make;
    const Take take;
    // Lives on the thread that made the worker: answers are taken there, and those still posted
    // to it go with it.
    QObject inbox;
    uint64_t latest = 0;  // the number of the latest request; the owner's thread only

    std::mutex lock;
    std::condition_variable_any wake;
    std::optional<Waiting> waiting;       // guarded by lock
    std::shared_ptr<AbortEvent> reading;  // the job in progress's abort; guarded by lock
    std::string readingSource;            // what it reads; guarded by lock
    std::jthread thread;                  // last: started once the rest is built, stopped before it goes
};
