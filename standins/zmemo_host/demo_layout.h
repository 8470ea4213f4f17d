// The demo installation the stand-in host writes: where its scripts and notes are, relative to the
// install root. The end-to-end tests use the same names.
#pragma once

namespace zmemo_demo {

// Script information files, relative to the root (which has no trailing "\").
// Well-formed: a UGU with its own data directory, a UGU with the shared DAT beside it, a PSN.
constexpr const wchar_t* kUguOwnDat = L"\\スクリプト\\ソフト表示\\hyouji.ugu";
constexpr const wchar_t* kUguSharedDat = L"\\スクリプト\\さくら 日記\\sakura.ugu";
constexpr const wchar_t* kPsn = L"\\スクリプト\\ペルソナ\\persona.psn";
// Broken: a UGU without any data file, and a history entry whose file is gone.
constexpr const wchar_t* kUguNoData = L"\\スクリプト\\壊れた\\broken.ugu";
constexpr const wchar_t* kUguMissing = L"\\スクリプト\\消えた\\gone.ugu";

// The notes whose DSCP server is on, in memo.ini order, and one that is off.
constexpr const wchar_t* kETagFirst = L"\"zm-0001-表\"";
constexpr const wchar_t* kETagSecond = L"\"zm-0002\"";
constexpr const wchar_t* kETagDisabled = L"\"zm-0003\"";

}  // namespace zmemo_demo
