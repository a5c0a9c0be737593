// Code pages of the input text.
#pragma once

namespace kvo::frontend {

constexpr int kCodePageOem = 437;  // read like GBK: the Chinese text of such systems
constexpr int kCodePageGbk = 936;
constexpr int kCodePageBig5 = 950;
constexpr int kCodePageUtf16Le = 1200;
constexpr int kCodePageUtf16Be = 1201;
constexpr int kCodePageUtf8 = 65001;

}  // namespace kvo::frontend
