#include "source/SourceGraph.h"

#include "source/internal/DecodingPipeline.h"

SourceGraph::SourceGraph() : pipeline(std::make_unique<DecodingPipeline>(videoGrabber, audioGrabber)) {}

SourceGraph::~SourceGraph() = default;
