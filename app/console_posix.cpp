// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The prompt's encoding on POSIX systems: the character set of the locale the
// environment names for character types, converted to with iconv.
#include <iconv.h>
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "console.h"

std::string promptIn(const std::string& codeset) {
    const std::string gbk(kPromptGbk);
    if (codeset.empty()) {
        return gbk;
    }
    iconv_t converter = iconv_open(codeset.c_str(), "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return gbk;
    }
    char input[sizeof kPromptGbk];
    std::memcpy(input, kPromptGbk, sizeof kPromptGbk);
    char output[64];  // the prompt is 6 characters; no encoding needs more
    char* in = input;
    char* out = output;
    size_t inLeft = gbk.size();
    size_t outLeft = sizeof output;
    size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    // Flush any shift state back to the initial one.
    if (result != static_cast<size_t>(-1)) {
        result = iconv(converter, nullptr, nullptr, &out, &outLeft);
    }
    iconv_close(converter);
    if (result == static_cast<size_t>(-1) || inLeft != 0) {
        return gbk;
    }
    return std::string(output, out);
}

// The character set named in a locale name such as "zh_CN.GB18030@euro".
static std::string codesetOfName(const char* name) {
    const char* dot = name ? std::strchr(name, '.') : nullptr;
    if (!dot) {
        return "";
    }
    std::string codeset(dot + 1);
    return codeset.substr(0, codeset.find('@'));
}

std::string consoleCodeset() {
    std::string previous = std::setlocale(LC_CTYPE, nullptr);
    std::string codeset;
    if (std::setlocale(LC_CTYPE, "")) {
        codeset = nl_langinfo(CODESET);
    } else {
        // The locale is named but not installed: its name still says which
        // character set the terminal shows.
        const char* name = std::getenv("LC_ALL");
        if (!name || !*name) {
            name = std::getenv("LC_CTYPE");
        }
        if (!name || !*name) {
            name = std::getenv("LANG");
        }
        codeset = codesetOfName(name);
    }
    std::setlocale(LC_CTYPE, previous.c_str());
    return codeset;
}

std::string consolePrompt() {
    return promptIn(consoleCodeset());
}

bool writePromptToConsole() {
    return false;  // a terminal takes bytes, in its locale's encoding
}
