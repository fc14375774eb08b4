// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The console side of start-up: one prompt line out, one number in.
//
// On the desktops the prompt's encoding, and on Windows the way it reaches a
// console, are what differ: the build takes console_posix.cpp or
// console_windows.cpp to provide writePromptToConsole(), consolePrompt() and
// the helpers declared under their names below; the rest lives in
// console.cpp, on the standard streams. A browser has a console of its own,
// console_web.cpp: the page's line, read by orderFromLine.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

// The prompt ("please enter the order") as the 12 bytes of its GBK encoding.
extern const char kPromptGbk[13];  // and the terminating NUL

// Writes the prompt and a newline to standard output as characters, when it
// is a console that takes text rather than bytes (a Windows console), and
// returns true. Returns false, having written nothing, anywhere else: a pipe,
// a file, a POSIX terminal, which take consolePrompt's bytes.
bool writePromptToConsole();

// The prompt as the bytes standard output gets: on POSIX in the encoding of
// the console's locale, the GBK bytes themselves when the encoding cannot be
// told or cannot hold the prompt; on Windows, where only a pipe or a file
// gets bytes, GBK.
std::string consolePrompt();

// Writes consolePrompt(), a newline, and flushes.
void writePrompt(std::ostream& out);

// Reads one int as formatted extraction does (leading white space skipped).
// A number beyond the int range gives the nearest limit; input that holds no
// number, or ends before one, gives `fallback`.
int readOrder(std::istream& in, int fallback);

// Writes the prompt and reads the order typed: `fallback` when the input holds
// no number. On the desktops, writePromptToConsole or else writePrompt on
// standard output, and readOrder on standard input.
int askForOrder(int fallback);

// The order in one line of text, exactly as readOrder reads that line and a
// newline in the C locale: white space (space, \t, \n, \v, \f, \r) skipped,
// an optional sign, decimal digits; the nearest int limit for a number beyond
// the range; `fallback` when no digit follows. Whatever comes after is ignored.
// Built everywhere so that the tests can hold it against readOrder; only the
// browser's console uses it.
int orderFromLine(std::string_view line, int fallback);

//----------------------------------------------------------------------------
// console_posix.cpp
//----------------------------------------------------------------------------

// The prompt in the given character set, converted from GBK; the GBK bytes
// themselves when the set is unknown (empty) or cannot hold the prompt, as
// plain ASCII cannot.
std::string promptIn(const std::string& codeset);

// The console's character set, from the character-type locale of the
// environment only; empty when it cannot be told. The process locale is left
// as it was, so reading numbers is not affected.
std::string consoleCodeset();
