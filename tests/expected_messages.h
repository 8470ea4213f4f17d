// Every message box text Karuvel can show, in the program's own words, written once for the tests.
// A line break inside a box is a lone "\r". Braces stand for what the box fills in: {path} the
// script path, {code} and {text} an error's number and the system's description of it.
#pragma once

namespace karuvel::expected {

constexpr const char* kNotInstalled =
    "ZMemoがインストールされていないか、または一度も起動されていません。\r"
    "ZMemoを起動した後に実行してください。";
constexpr const char* kNoSwitchableNote =
    "切替可能な付箋がありません。\r"
    "付箋の設定画面で『DSCPを有効にする』をチェックした後に、ZMemoを再起動してください。";
constexpr const char* kZMemoNotRunning = "ZMemoが起動されていません。";
constexpr const char* kPackageNotFound = "このスクリプト情報ファイル（UGU/PSNファイル）は存在しません。\r『{path}』";
constexpr const char* kPackageMalformed =
    "このスクリプトのディレクトリ構成に異常があります。\rまたは、UGU/PSNファイルではありません。\r『{path}』";
constexpr const char* kPackageRefused = "このスクリプト情報ファイル（UGU/PSNファイル）は登録できません。\r『{path}』";
constexpr const char* kUnexpectedPackageResult = "予期しないエラーが発生しました。\r『{path}』";
constexpr const char* kSeveralFiles = "複数スクリプトを一括して追加することはできません。";
constexpr const char* kNoLibrary = "DSCP通信ライブラリを読み込めません。\r『chc_dscp.dll』";
constexpr const char* kNoCommand = "コマンドが指定されていません。";
constexpr const char* kErrorReport = "ERROR #{code} : {text}";

// All of them, in the order the user guide lists them.
constexpr const char* kAllMessages[] = {
    kNotInstalled,  kNoSwitchableNote,        kZMemoNotRunning, kPackageNotFound, kPackageMalformed, kPackageRefused,
    kUnexpectedPackageResult, kSeveralFiles, kNoLibrary,       kNoCommand,       kErrorReport,
};

}  // namespace karuvel::expected
