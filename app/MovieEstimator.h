#pragma once
// What the chosen movie is and what the dialog's settings will make of it, worked out on a
// thread of its own so that the dialog never waits for a file: requests that come in quick
// succession are taken as one (the last counts), and an answer to any but the latest request
// is dropped. Only regular files are read: a second reader of a pipe would take the movie's
// bytes from the conversion.
#include <QObject>
#include <QString>
#include <QTimer>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "job/ConversionRequest.h"

class AbortEvent;

struct MovieEstimate {
    QString facts;     // the facts line, or why the movie cannot be read; empty: no movie to read
    QString estimate;  // the image's size and playing time, or what stands in the way; empty: none
    bool fits = true;  // false: `estimate` says why the image will not fit, or which setting is at fault
    std::optional<int32_t> fittedBitrate;  // a size is chosen and fits: the bitrate (KB/s) that fills it
};

class MovieEstimator : public QObject {
    Q_OBJECT
public:
    MovieEstimator();
    // Stops a read in progress and waits for the thread.
    ~MovieEstimator() override;

    // Works out the request's estimate once no newer request has come for a moment.
    void Ask(const ConversionRequest& request);
    // Drops the request waiting and any answer still to come.
    void Cancel();

signals:
    // On the thread the estimator lives on, for the latest request only.
    void Answered(const MovieEstimate& estimate);

private:
    struct Job {
        ConversionRequest request;
        uint64_t number = 0;
    };
    void Hand();
    void Work(std::stop_token stop);
    void Deliver(uint64_t number, const MovieEstimate& estimate);

    QTimer pause;
    ConversionRequest pending;
    uint64_t latest = 0;  // the number of the latest request handed on; the estimator's thread only

    std::mutex lock;
    std::condition_variable_any wake;
    std::optional<Job> waiting;              // guarded by lock
    std::shared_ptr<AbortEvent> reading;     // the read in progress; guarded by lock
    std::string readingPath;                 // the movie it reads; guarded by lock
    std::jthread thread;  // last: started once the rest is built, stopped before it goes
};
