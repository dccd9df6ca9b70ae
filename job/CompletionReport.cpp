#include "job/CompletionReport.h"

#include <fmt/format.h>

CompletionReport DescribeCompletion(int completionCode, bool abortRequested, const std::string& errorDetail) {
    if (abortRequested) return {"KAVRO", "変換処理は中断されました"};
    if (completionCode == 0) return {};
    if (completionCode == 999) return {"エラー", "予期しない例外が発生しました。プログラムを終了してください"};
    std::string text = fmt::format("変換中にエラーが発生しました({})", completionCode);
    if (!errorDetail.empty()) text += "\n" + errorDetail;
    return {"エラー", text};
}
