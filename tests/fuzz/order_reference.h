// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// An independent reader of the order typed at start, written from the rules
// rather than from the stream library: the console tests and the console
// fuzzer hold readOrder against it.
#pragma once

#include <cstddef>
#include <string>

namespace fuzz {

// What the game must make of `input` as the whole of standard input: leading
// white space (space, \t, \n, \v, \f, \r, as the C locale classifies it) is
// skipped, then an optional sign, then decimal digits. The digits give the
// number, or INT_MAX / INT_MIN when it lies beyond the int range; no digit at
// all (including a lone sign, or nothing but white space) gives `fallback`.
int expectedOrder(const std::string& input, int fallback);

// `input` with every byte outside printable ASCII shown as \xNN, for messages.
std::string printable(const std::string& input);

}  // namespace fuzz
