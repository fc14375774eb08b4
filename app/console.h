// The console side of start-up: one prompt line out, one number in.
#pragma once

#include <iosfwd>
#include <string>

// The prompt ("please enter the order") as the 12 bytes of its GBK encoding.
extern const char kPromptGbk[];

// The prompt in the given character set, converted from GBK; the GBK bytes
// themselves when the set is unknown (empty) or cannot hold the prompt, as
// plain ASCII cannot.
std::string promptIn(const std::string& codeset);

// The console's character set, from the character-type locale of the
// environment only; empty when it cannot be told. The process locale is left
// as it was, so reading numbers is not affected.
std::string consoleCodeset();

// Writes the prompt in the console's encoding, a newline, and flushes.
void writePrompt(std::ostream& out);

// Reads one int as formatted extraction does (leading white space skipped).
// A number beyond the int range gives the nearest limit; input that holds no
// number, or ends before one, gives `fallback`.
int readOrder(std::istream& in, int fallback);
