#include "platform/RunState.h"

std::atomic<bool> AbortRequested{false};
std::string ErrorDetail;
