#include "app/MovieEstimator.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>

#include "job/CartridgeFit.h"
#include "job/ConversionPlan.h"
#include "job/ConversionSettings.h"
#include "job/ConversionWorker.h"
#include "job/PlanSummary.h"
#include "platform/AbortEvent.h"

namespace {

// Long enough for a word typed or an arrow held down to be taken as one change.
constexpr int kPauseMs = 250;

// Which file was read: a path names another movie once its file has changed.
struct MovieFile {
    std::string path;
    std::uintmax_t bytes = 0;
    std::filesystem::file_time_type modified;
    bool operator==(const MovieFile&) const = default;
};

// The last movie read, kept while only the settings change.
struct ReadMovie {
    MovieFile file;
    bool read = false;  // false: `line` says why it could not be
    MovieFacts facts;
    QString line;
};

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

// The movie's own line, from a plan with the settings left as they are: the source's clock
// does not depend on them.
QString FactsOf(const MovieFacts& facts, const std::string& path) {
    ConversionRequest defaults;
    defaults.moviePath = path;
    ConversionPlan plan;
    std::string error;
    if (PlanConversion(facts, MapRequest(defaults, ""), plan, error) != kCompleted) return FromUtf8(error);
    return FromUtf8(FactsLine(facts, plan.video));
}

// Reads the movie unless it is the one read last; false when it was not read to the end (an
// aborted read), which leaves nothing to say.
bool Read(const MovieFile& file, const AbortEvent& abort, ReadMovie& movie) {
    if (movie.file == file) return true;
    MovieFacts facts;
    std::string error;
    const bool read = ReadMovieFacts(file.path, &abort, facts, error);
    if (abort.IsSignalled()) return false;
    movie = {file, read, std::move(facts), read ? QString() : FromUtf8(error)};
    if (read) movie.line = FactsOf(movie.facts, file.path);
    return true;
}

MovieEstimate Faulty(QString facts, const std::string& fault) { return {std::move(facts), FromUtf8(fault), false, {}}; }

MovieEstimate Plan(const ConversionRequest& request, const ReadMovie& movie) {
    if (!movie.read) return {movie.line, {}, true, {}};
    if (const std::optional<std::string> fault = CheckBeforeRun(request)) return Faulty(movie.line, *fault);
    const uint64_t size = uint64_t(std::max(request.fitBytes, 0));
    const JobArguments arguments = MapRequest(request, "");
    ConversionPlan plan;
    std::string error;
    const CompletionCode code = size > 0 ? PlanToFit(movie.facts, arguments, size, plan, error)
                                         : PlanConversion(movie.facts, arguments, plan, error);
    if (code != kCompleted) return Faulty(movie.line, error);
    const EstimateWords words = EstimateLine(plan, size);
    MovieEstimate estimate{movie.line, FromUtf8(words.text), words.fits, {}};
    if (size > 0 && words.fits) estimate.fittedBitrate = int32_t(BytesPerSecond(plan.video) / 1024);
    return estimate;
}

MovieEstimate EstimateFor(const ConversionRequest& request, const AbortEvent& abort, ReadMovie& movie) {
    namespace fs = std::filesystem;
    std::error_code failure;
    const fs::file_status status = fs::status(request.moviePath, failure);
    // Nothing to say while the path names nothing, as while it is being typed.
    if (request.moviePath.empty() || failure || !fs::exists(status)) return {};
    if (!fs::is_regular_file(status))
        return {QStringLiteral("ファイルではないため、変換を始めるまで分かりません"), {}, true, {}};
    MovieFile file{request.moviePath, fs::file_size(request.moviePath, failure),
                      fs::last_write_time(request.moviePath, failure)};
    if (!Read(file, abort, movie)) return {};
    return Plan(request, movie);
}

}  // namespace

MovieEstimator::MovieEstimator()
    : worker([movie = ReadMovie()](const ConversionRequest& request, const AbortEvent& abort) mutable {
                 return EstimateFor(request, abort, movie);
             },
             [this](const MovieEstimate& estimate) { emit Answered(estimate); }) {
    pause.setSingleShot(true);
    pause.setInterval(kPauseMs);
    connect(&pause, &QTimer::timeout, this, &MovieEstimator::Hand);
}

void MovieEstimator::Ask(const ConversionRequest& request) {
    pending = request;
    pause.start();
}

void MovieEstimator::Cancel() {
    pause.stop();
    worker.Forget();
}

void MovieEstimator::Hand() { worker.Ask(pending, pending.moviePath); }
