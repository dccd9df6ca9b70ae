#pragma once
// The media source of one conversion: builds the decoding graph around the encoder, reads
// the movie's length, runs the decode to its end or to the user's abort, and lets go of
// the encoder afterwards. All operations run on the conversion's worker thread. Failures
// leave their text in ErrorDetail; an abort sets AbortRequested (platform/RunState.h).
#include <cstdint>
#include <memory>
#include <string>

#include "platform/AbortEvent.h"
#include "source/MovieFacts.h"
#include "source/SourceGraph.h"

class MovieEncoder;

// Opens the movie (probing AVI files for their frame rate first), makes the encoder plan the
// picture and accept the sound, and registers the sample sinks. `graph` receives the graph
// as soon as it exists, also when building fails afterwards. A movie without sound gets no
// audio path; a file without video fails with "映像ストリームがありません". Waiting for the
// file's data (a FIFO without a writer) ends when `abortEvent` (may be null) is signalled.
// Only the `span` of the movie is delivered: pictures on a grid that starts at its start,
// sound on a time line that starts there too, both ending with it.
[[nodiscard]] bool BuildSourceGraph(std::unique_ptr<SourceGraph>& graph, const std::string& moviePath, MovieEncoder& encoder,
                                    const AbortEvent* abortEvent = nullptr, const MovieSpan& span = {});

// The movie's length in video frames (the span's); false (ErrorDetail unchanged) when the file
// states neither.
[[nodiscard]] bool QuerySourceLength(SourceGraph& graph, int64_t& length);

// The user's words for a decoded format that the picture plan refuses: unusable, or trimmed
// to nothing by the margins.
std::string PictureRefusalText(const VideoPlan& plan, const BitmapInfoHeader& frame);

// What the built graph's movie states (all but the AVI probe's rate).
MovieFacts QueryMovieFacts(SourceGraph& graph);

// Decodes the movie to its end, polling the run's abort event (none: the run cannot be
// aborted) every 500 ms. False after an abort or when decoding could not start.
[[nodiscard]] bool RunSourceGraph(SourceGraph& graph, const AbortEvent* abortEvent = nullptr);

// Unregisters the sample sinks; nothing for a null graph.
void DetachSampleSinks(SourceGraph* graph);

// Makes ErrorDetail the decoding library's text for a status code (at most 159 bytes).
void StoreMediaErrorText(int32_t status);
