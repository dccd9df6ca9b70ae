#include "job/Completion.h"

#include <algorithm>
#include <iterator>

#include <fmt/format.h>

namespace {

enum class Told {
    Nothing,     // success: a sound, no message
    Error,       // the error text with the code and ErrorDetail
    Unexpected,  // the text that asks to end the program
};

struct CompletionEntry {
    CompletionCode code;
    Told told;
    std::string_view cause;
};

constexpr CompletionEntry kCompletions[] = {
    {kCompleted, Told::Nothing, "カートリッジイメージを書き込みました"},
    {kNoStreamPath, Told::Error, "ムービーストリームのファイルが指定されていません"},
    {kParametersRejected, Told::Error, "変換の設定が受け付けられません"},
    {kSourceNotBuilt, Told::Error, "ムービーを開けないか、その形式に対応していません"},
    {kRunFailed, Told::Error, "変換が中断されたか、映像を最後まで変換できませんでした"},
    {kNoDuration, Told::Error, "ムービーの長さがわかりません"},
    {kUnexpectedFailure, Told::Unexpected, "予期しない例外が発生しました"},
    {kNoTemporaryFile, Told::Error, "一時ファイルを作成できません"},
    {kOutputNotCreated, Told::Error, "出力先ファイルを作成できません"},
    {kPlayerNotWritten, Told::Error, "出力先ファイルに書き込めません"},
    {kStreamNotOpened, Told::Error, "ムービーストリームを開けません"},
    {kImageTooLarge, Told::Error, "イメージがカートリッジの上限を超えています"},
    {kStreamNotRead, Told::Error, "ムービーストリームを読めません"},
    {kStreamNotWritten, Told::Error, "出力先ファイルに書き込めません"},
    {kDoesNotFit, Told::Error, "ムービーが指定のサイズに収まりません"},
};

constexpr std::string_view kErrorTitle = "エラー";
constexpr std::string_view kAbortedText = "変換処理は中断されました";
constexpr std::string_view kUnexpectedText = "予期しない例外が発生しました。プログラムを終了してください";

// A code the table lacks (none is sent) is told as an error, with its number.
const CompletionEntry* Find(int code) {
    const auto entry = std::find_if(std::begin(kCompletions), std::end(kCompletions),
                                    [code](const CompletionEntry& e) { return e.code == code; });
    return entry == std::end(kCompletions) ? nullptr : &*entry;
}

}  // namespace

std::string_view CompletionCause(CompletionCode code) {
    const CompletionEntry* entry = Find(code);
    return entry ? entry->cause : std::string_view();
}

CompletionReport DescribeCompletion(int completionCode, bool abortRequested, const std::string& errorDetail) {
    if (abortRequested) return {std::string(kProgramTitle), std::string(kAbortedText)};
    const CompletionEntry* entry = Find(completionCode);
    const Told told = entry ? entry->told : Told::Error;
    if (told == Told::Nothing) return {};
    if (told == Told::Unexpected) return {std::string(kErrorTitle), std::string(kUnexpectedText)};
    std::string text = fmt::format("変換中にエラーが発生しました({})", completionCode);
    if (!errorDetail.empty()) text += "\n" + errorDetail;
    return {std::string(kErrorTitle), text};
}
