#pragma once
// What the user is told when a run ends, in the dialog and on the command line alike.
#include <string>

struct CompletionReport {
    std::string title;  // empty for success: no message, only a sound
    std::string text;
};

// The report of a run from its CompletionCode, AbortRequested and ErrorDetail.
CompletionReport DescribeCompletion(int completionCode, bool abortRequested, const std::string& errorDetail);
