#pragma once
// What the chosen movie is and what the dialog's settings will make of it, worked out on a
// thread of its own so that the dialog never waits for a file: requests that come in quick
// succession are taken as one (the last counts), and an answer to any but the latest request
// is dropped. Only regular files are read: a second reader of a pipe would take the movie's
// bytes from the conversion.
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <optional>

#include "app/LatestRequestWorker.h"
#include "job/ConversionRequest.h"

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

    // Works out the request's estimate once no newer request has come for a moment.
    void Ask(const ConversionRequest& request);
    // Drops the request waiting and any answer still to come.
    void Cancel();

signals:
    // On the thread the estimator lives on, for the latest request only.
    void Answered(const MovieEstimate& estimate);

private:
    void Hand();

    QTimer pause;
    ConversionRequest pending;
    // Last: started once the rest is built; its read is stopped and its thread joined before the rest goes.
    LatestRequestWorker<ConversionRequest, MovieEstimate> worker;
};
